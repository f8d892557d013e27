#include "apps/dravel-hub/store/sqlite_schema.h"

#include <array>
#include <string_view>

namespace dravel::hub {
namespace {

// Step N brings a file from version N to N + 1. Steps are never edited once
// released: a change is a new step.
constexpr std::array<const char*, 2> kSteps = {R"sql(
CREATE TABLE teachers (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  password_hash TEXT NOT NULL
);
CREATE TABLE sessions (
  token_hash TEXT PRIMARY KEY,
  role TEXT NOT NULL CHECK (role IN ('teacher', 'pupil')),
  owner_id INTEGER NOT NULL,
  expires_at INTEGER NOT NULL
);
CREATE TABLE classes (
  id INTEGER PRIMARY KEY,
  teacher_id INTEGER NOT NULL REFERENCES teachers (id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  join_code TEXT NOT NULL UNIQUE,
  join_open INTEGER NOT NULL
);
CREATE INDEX classes_by_teacher ON classes (teacher_id);
CREATE TABLE pupils (
  id INTEGER PRIMARY KEY,
  class_id INTEGER NOT NULL REFERENCES classes (id) ON DELETE CASCADE,
  number TEXT NOT NULL,
  name TEXT NOT NULL,
  code TEXT NOT NULL,
  UNIQUE (class_id, number)
);
CREATE TABLE assignments (
  id INTEGER PRIMARY KEY,
  class_id INTEGER NOT NULL REFERENCES classes (id) ON DELETE CASCADE,
  title TEXT NOT NULL,
  deadline INTEGER,
  resubmit INTEGER NOT NULL,
  show_score INTEGER NOT NULL
);
CREATE INDEX assignments_by_class ON assignments (class_id);
CREATE TABLE assignment_references (
  assignment_id INTEGER NOT NULL REFERENCES assignments (id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  script BLOB NOT NULL,
  PRIMARY KEY (assignment_id, position)
);
CREATE TABLE handins (
  id INTEGER PRIMARY KEY,
  assignment_id INTEGER NOT NULL REFERENCES assignments (id) ON DELETE CASCADE,
  pupil_id INTEGER NOT NULL REFERENCES pupils (id) ON DELETE CASCADE,
  attempt INTEGER NOT NULL,
  script BLOB NOT NULL,
  handed_in_at INTEGER NOT NULL,
  late INTEGER NOT NULL,
  state TEXT NOT NULL CHECK (state IN ('queued', 'grading', 'graded', 'failed')),
  score REAL,
  last_message TEXT NOT NULL DEFAULT '',
  copies INTEGER NOT NULL DEFAULT 0,
  lease INTEGER NOT NULL DEFAULT 0,
  leased_at INTEGER,
  UNIQUE (assignment_id, pupil_id, attempt)
);
CREATE INDEX handins_by_pupil ON handins (pupil_id);
CREATE INDEX handins_by_state ON handins (state, id);
CREATE TABLE pictures (
  handin_id INTEGER NOT NULL REFERENCES handins (id) ON DELETE CASCADE,
  kind TEXT NOT NULL CHECK (kind IN ('picture', 'overlay')),
  png BLOB NOT NULL,
  PRIMARY KEY (handin_id, kind)
);
)sql",
                                               R"sql(
-- A school's many teachers log in by name; an administrator hands classes over.
ALTER TABLE teachers ADD COLUMN admin INTEGER NOT NULL DEFAULT 0;
CREATE UNIQUE INDEX teachers_by_name ON teachers (name);
)sql"};

int FileVersion(SqliteDb& db) {
  Statement query(db, "PRAGMA user_version");
  query.Step();
  return static_cast<int>(query.Int(0));
}

}  // namespace

int SchemaVersion() { return static_cast<int>(kSteps.size()); }

std::string MigrateSchema(SqliteDb& db) {
  // The version is read inside each step's transaction, so two programs
  // opening one new file never apply a step twice.
  for (;;) {
    Transaction transaction(db);
    const int found = FileVersion(db);
    if (found > SchemaVersion()) {
      return "数据库来自更新版本的 dravel-hub（数据版本 " + std::to_string(found) +
             "，本程序只认识到 " + std::to_string(SchemaVersion()) + "），请使用新版本打开";
    }
    if (found == SchemaVersion()) return "";
    db.Execute(kSteps[found]);
    // PRAGMA takes no bound value; the number is ours.
    db.Execute(("PRAGMA user_version = " + std::to_string(found + 1)).c_str());
    transaction.Commit();
  }
}

}  // namespace dravel::hub
