// The hub database's schema, as numbered steps: each opening applies the
// steps the file has not had yet (PRAGMA user_version counts them), and a
// file from a newer program, with steps this one does not know, is refused
// rather than guessed at.
#pragma once

#include <string>

#include "apps/dravel-hub/store/sqlite_db.h"

namespace dravel::hub {

// The schema version this program writes.
int SchemaVersion();

// Brings `db` up to SchemaVersion(), each step in its own transaction; ""
// when done, else why not (a newer file), in Chinese for the teacher.
std::string MigrateSchema(SqliteDb& db);

}  // namespace dravel::hub
