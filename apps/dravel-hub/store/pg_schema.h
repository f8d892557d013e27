// The hub's schema on PostgreSQL, as numbered steps like the SQLite file's
// (sqlite_schema.h): the table dravel_schema_version holds how many steps
// the database has had. Steps are applied in one transaction under an
// advisory lock, so hub processes starting together apply each step once;
// a database from a newer program is refused rather than guessed at.
#pragma once

#include <pqxx/pqxx>

#include <string>

namespace dravel::hub {

// The schema version this program writes.
int PgSchemaVersion();

// Brings the database up to PgSchemaVersion(); "" when done, else why not
// (a newer database), in Chinese for the teacher. Throws what libpqxx
// throws.
std::string MigratePgSchema(pqxx::connection& connection);

}  // namespace dravel::hub
