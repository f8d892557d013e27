// Teachers, sessions, classes, pupils and assignments; the hand-ins and the
// queue are in sqlite_store_handins.cpp.
#include "apps/dravel-hub/store/sqlite_store.h"

#include "apps/dravel-hub/store/record_selects.h"
#include "apps/dravel-hub/store/sqlite_schema.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kRoleWords[] = {"teacher", "pupil"};

TeacherRecord ReadTeacher(Statement& row) {
  return {row.Int(0), row.Text(1), row.Text(2), row.Int(3) != 0};
}

ClassRecord ReadClass(Statement& row) {
  return {row.Int(0), row.Int(1), row.Text(2), row.Text(3), row.Int(4) != 0};
}

PupilRecord ReadPupil(Statement& row) {
  return {row.Int(0), row.Int(1), row.Text(2), row.Text(3), row.Text(4)};
}

AssignmentRecord ReadAssignment(Statement& row) {
  AssignmentRecord record;
  record.id = row.Int(0);
  record.class_id = row.Int(1);
  record.title = row.Text(2);
  record.deadline = row.OptionalInt(3);
  record.resubmit = row.Int(4) != 0;
  record.show_score = row.Int(5) != 0;
  return record;
}

template <typename Record, typename Reader>
std::optional<Record> OneRow(Statement& query, Reader read) {
  if (!query.Step()) return std::nullopt;
  return read(query);
}

template <typename Record, typename Reader>
std::vector<Record> AllRows(Statement& query, Reader read) {
  std::vector<Record> records;
  while (query.Step()) records.push_back(read(query));
  return records;
}

}  // namespace

StoreOpening SqliteStore::Open(const std::string& path) {
  try {
    auto db = std::make_unique<SqliteDb>(path);
    if (std::string refusal = MigrateSchema(*db); !refusal.empty()) return {nullptr, refusal};
    return {std::unique_ptr<SqliteStore>(new SqliteStore(std::move(db))), ""};
  } catch (const StoreError& error) {
    return {nullptr, std::string("无法打开数据库：") + error.what()};
  }
}

std::optional<int64_t> SqliteStore::AddTeacher(std::string_view name,
                                               std::string_view password_hash, bool admin) {
  std::lock_guard lock(mutex_);
  Statement insert(*db_, "INSERT INTO teachers (name, password_hash, admin) VALUES (?, ?, ?)");
  insert.Bind(1, name).Bind(2, password_hash).Bind(3, int64_t{admin});
  if (!insert.RunUnlessConstraint()) return std::nullopt;
  return db_->LastInsertId();
}

std::optional<TeacherRecord> SqliteStore::FindTeacher(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kTeacherColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id);
  return OneRow<TeacherRecord>(query, ReadTeacher);
}

std::optional<TeacherRecord> SqliteStore::FindTeacherByName(std::string_view name) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kTeacherColumns) + " WHERE name = ?").c_str());
  query.Bind(1, name);
  return OneRow<TeacherRecord>(query, ReadTeacher);
}

std::vector<TeacherRecord> SqliteStore::Teachers() {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kTeacherColumns) + " ORDER BY id").c_str());
  return AllRows<TeacherRecord>(query, ReadTeacher);
}

std::optional<int64_t> SqliteStore::TakeLoginTry(std::string_view key, int64_t now_ms, int most,
                                                 int64_t window_ms) {
  std::lock_guard lock(mutex_);
  // A lost try only lets one more guess through after a power cut.
  Transaction transaction(*db_, Sync::kUnsynced);
  Statement(*db_, "DELETE FROM login_tries WHERE at_ms <= ?").Bind(1, now_ms - window_ms).Run();
  Statement count(*db_, "SELECT COUNT(*) FROM login_tries WHERE key = ?");
  count.Bind(1, key).Step();
  if (count.Int(0) >= most) {
    transaction.Commit();
    return std::nullopt;
  }
  Statement(*db_, "INSERT INTO login_tries (key, at_ms) VALUES (?, ?)")
      .Bind(1, key)
      .Bind(2, now_ms)
      .Run();
  const int64_t id = db_->LastInsertId();
  transaction.Commit();
  return id;
}

void SqliteStore::GiveBackLoginTry(int64_t try_id) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_, Sync::kUnsynced);
  Statement(*db_, "DELETE FROM login_tries WHERE id = ?").Bind(1, try_id).Run();
  transaction.Commit();
}

void SqliteStore::AddSession(const SessionRecord& session, int64_t now) {
  std::lock_guard lock(mutex_);
  // Expired sessions go as new ones come, so the table stays small.
  Statement(*db_, "DELETE FROM sessions WHERE expires_at <= ?").Bind(1, now).Run();
  Statement(*db_,
            "INSERT INTO sessions (token_hash, role, owner_id, expires_at) VALUES (?, ?, ?, ?)")
      .Bind(1, session.token_hash)
      .Bind(2, kRoleWords[static_cast<int>(session.role)])
      .Bind(3, session.owner_id)
      .Bind(4, session.expires_at)
      .Run();
  Statement(*db_,
            "DELETE FROM sessions WHERE role = ?1 AND owner_id = ?2 AND rowid NOT IN "
            "(SELECT rowid FROM sessions WHERE role = ?1 AND owner_id = ?2 "
            "ORDER BY expires_at DESC, rowid DESC LIMIT ?3)")
      .Bind(1, kRoleWords[static_cast<int>(session.role)])
      .Bind(2, session.owner_id)
      .Bind(3, int64_t{kMostSessionsPerOwner})
      .Run();
}

std::optional<SessionRecord> SqliteStore::FindSession(std::string_view token_hash, int64_t now) {
  std::lock_guard lock(mutex_);
  Statement query(*db_,
                  "SELECT role, owner_id, expires_at FROM sessions "
                  "WHERE token_hash = ? AND expires_at > ?");
  query.Bind(1, token_hash).Bind(2, now);
  return OneRow<SessionRecord>(query, [&](Statement& row) {
    const SessionRole role =
        row.Text(0) == kRoleWords[0] ? SessionRole::kTeacher : SessionRole::kPupil;
    return SessionRecord{std::string(token_hash), role, row.Int(1), row.Int(2)};
  });
}

void SqliteStore::RemoveSession(std::string_view token_hash) {
  std::lock_guard lock(mutex_);
  Statement(*db_, "DELETE FROM sessions WHERE token_hash = ?").Bind(1, token_hash).Run();
}

std::optional<int64_t> SqliteStore::AddClass(const ClassRecord& record) {
  std::lock_guard lock(mutex_);
  Statement insert(*db_,
                   "INSERT INTO classes (teacher_id, name, join_code, join_open) "
                   "VALUES (?, ?, ?, ?)");
  insert.Bind(1, record.teacher_id)
      .Bind(2, record.name)
      .Bind(3, record.join_code)
      .Bind(4, int64_t{record.join_open});
  if (!insert.RunUnlessConstraint()) return std::nullopt;
  return db_->LastInsertId();
}

std::optional<ClassRecord> SqliteStore::FindClass(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kClassColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id);
  return OneRow<ClassRecord>(query, ReadClass);
}

std::optional<ClassRecord> SqliteStore::FindClassByJoinCode(std::string_view join_code) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kClassColumns) + " WHERE join_code = ?").c_str());
  query.Bind(1, join_code);
  return OneRow<ClassRecord>(query, ReadClass);
}

std::vector<ClassRecord> SqliteStore::TeacherClasses(int64_t teacher_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kClassColumns) + " WHERE teacher_id = ? ORDER BY id").c_str());
  query.Bind(1, teacher_id);
  return AllRows<ClassRecord>(query, ReadClass);
}

void SqliteStore::SetJoinOpen(int64_t class_id, bool open) {
  std::lock_guard lock(mutex_);
  Statement(*db_, "UPDATE classes SET join_open = ? WHERE id = ?")
      .Bind(1, int64_t{open})
      .Bind(2, class_id)
      .Run();
}

bool SqliteStore::MoveClass(int64_t class_id, int64_t teacher_id) {
  std::lock_guard lock(mutex_);
  // Pupils, assignments and hand-ins hang on the class, so they follow it.
  Statement(*db_,
            "UPDATE classes SET teacher_id = ?1 WHERE id = ?2 "
            "AND EXISTS (SELECT 1 FROM teachers WHERE id = ?1)")
      .Bind(1, teacher_id)
      .Bind(2, class_id)
      .Run();
  return db_->Changes() == 1;
}

void SqliteStore::AddPupils(int64_t class_id, const std::vector<PupilRecord>& pupils) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_);
  for (const PupilRecord& pupil : pupils) {
    Statement(*db_,
              "INSERT INTO pupils (class_id, number, name, code) VALUES (?, ?, ?, ?) "
              "ON CONFLICT (class_id, number) DO NOTHING")
        .Bind(1, class_id)
        .Bind(2, pupil.number)
        .Bind(3, pupil.name)
        .Bind(4, pupil.code)
        .Run();
  }
  transaction.Commit();
}

std::vector<PupilRecord> SqliteStore::ClassPupils(int64_t class_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kPupilColumns) + " WHERE class_id = ? ORDER BY id").c_str());
  query.Bind(1, class_id);
  return AllRows<PupilRecord>(query, ReadPupil);
}

std::optional<PupilRecord> SqliteStore::FindPupil(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kPupilColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id);
  return OneRow<PupilRecord>(query, ReadPupil);
}

std::optional<PupilRecord> SqliteStore::FindPupilByNumber(int64_t class_id,
                                                          std::string_view number) {
  std::lock_guard lock(mutex_);
  Statement query(*db_,
                  (std::string(kPupilColumns) + " WHERE class_id = ? AND number = ?").c_str());
  query.Bind(1, class_id).Bind(2, number);
  return OneRow<PupilRecord>(query, ReadPupil);
}

int SqliteStore::RemoveClassPupils(int64_t class_id) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_);
  // Sessions name their owner by id alone, so a pupil's go by hand.
  Statement(*db_,
            "DELETE FROM sessions WHERE role = 'pupil' AND owner_id IN "
            "(SELECT id FROM pupils WHERE class_id = ?)")
      .Bind(1, class_id)
      .Run();
  Statement(*db_, "DELETE FROM pupils WHERE class_id = ?").Bind(1, class_id).Run();
  const int removed = db_->Changes();
  transaction.Commit();
  return removed;
}

int64_t SqliteStore::AddAssignment(const AssignmentRecord& record) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_);
  Statement(*db_,
            "INSERT INTO assignments (class_id, title, deadline, resubmit, show_score) "
            "VALUES (?, ?, ?, ?, ?)")
      .Bind(1, record.class_id)
      .Bind(2, record.title)
      .Bind(3, record.deadline)
      .Bind(4, int64_t{record.resubmit})
      .Bind(5, int64_t{record.show_score})
      .Run();
  const int64_t id = db_->LastInsertId();
  InsertReferencesLocked(id, record.references);
  transaction.Commit();
  return id;
}

std::optional<AssignmentRecord> SqliteStore::FindAssignment(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kAssignmentColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id);
  auto record = OneRow<AssignmentRecord>(query, ReadAssignment);
  if (record) record->references = ReferencesLocked(id);
  return record;
}

std::vector<AssignmentRecord> SqliteStore::ClassAssignments(int64_t class_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_,
                  (std::string(kAssignmentColumns) + " WHERE class_id = ? ORDER BY id").c_str());
  query.Bind(1, class_id);
  auto records = AllRows<AssignmentRecord>(query, ReadAssignment);
  for (AssignmentRecord& record : records) record.references = ReferencesLocked(record.id);
  return records;
}

int SqliteStore::ReplaceReferences(int64_t assignment_id,
                                   const std::vector<std::string>& references) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_);
  Statement(*db_, "DELETE FROM assignment_references WHERE assignment_id = ?")
      .Bind(1, assignment_id)
      .Run();
  InsertReferencesLocked(assignment_id, references);
  Statement(*db_,
            "UPDATE handins SET state = 'queued', leased_at = NULL, lease = lease + 1 "
            "WHERE assignment_id = ?")
      .Bind(1, assignment_id)
      .Run();
  const int queued = db_->Changes();
  transaction.Commit();
  return queued;
}

std::vector<std::string> SqliteStore::ReferencesLocked(int64_t assignment_id) {
  Statement query(*db_,
                  "SELECT script FROM assignment_references WHERE assignment_id = ? "
                  "ORDER BY position");
  query.Bind(1, assignment_id);
  return AllRows<std::string>(query, [](Statement& row) { return row.Text(0); });
}

void SqliteStore::InsertReferencesLocked(int64_t assignment_id,
                                         const std::vector<std::string>& references) {
  for (size_t i = 0; i < references.size(); ++i) {
    Statement(*db_,
              "INSERT INTO assignment_references (assignment_id, position, script) "
              "VALUES (?, ?, ?)")
        .Bind(1, assignment_id)
        .Bind(2, static_cast<int64_t>(i))
        .BindBlob(3, references[i])
        .Run();
  }
}

}  // namespace dravel::hub
