// Teachers, login tries, sessions, classes, pupils and assignments; the
// hand-ins and the queue are in pg_store_handins.cpp.
#include "apps/dravel-hub/store/pg_store.h"

#include "apps/dravel-hub/store/pg_rows.h"
#include "apps/dravel-hub/store/pg_schema.h"
#include "apps/dravel-hub/store/record_selects.h"

namespace dravel::hub {
namespace {

using pg::AllRows;
using pg::BytesOf;
using pg::OneRow;

// The first half of the login doors' advisory locks (the second is the
// key's hash): tries from one key are counted one at a time.
constexpr int kLoginTryLock = 0x64726176;

constexpr const char* kRoleWords[] = {"teacher", "pupil"};

std::string Text(std::string_view text) { return std::string(text); }

TeacherRecord ReadTeacher(const pqxx::row& row) {
  return {row[0].as<int64_t>(), row[1].as<std::string>(), row[2].as<std::string>(),
          row[3].as<bool>()};
}

ClassRecord ReadClass(const pqxx::row& row) {
  return {row[0].as<int64_t>(), row[1].as<int64_t>(), row[2].as<std::string>(),
          row[3].as<std::string>(), row[4].as<bool>()};
}

PupilRecord ReadPupil(const pqxx::row& row) {
  return {row[0].as<int64_t>(), row[1].as<int64_t>(), row[2].as<std::string>(),
          row[3].as<std::string>(), row[4].as<std::string>()};
}

AssignmentRecord ReadAssignment(const pqxx::row& row) {
  AssignmentRecord record;
  record.id = row[0].as<int64_t>();
  record.class_id = row[1].as<int64_t>();
  record.title = row[2].as<std::string>();
  record.deadline = pg::Nullable<int64_t>(row[3]);
  record.resubmit = row[4].as<bool>();
  record.show_score = row[5].as<bool>();
  return record;
}

std::vector<std::string> References(pqxx::transaction_base& work, int64_t assignment_id) {
  return AllRows<std::string>(
      work.exec_params("SELECT script FROM assignment_references WHERE assignment_id = $1 "
                       "ORDER BY position",
                       assignment_id),
      [](const pqxx::row& row) { return BytesOf(row[0]); });
}

void InsertReferences(pqxx::transaction_base& work, int64_t assignment_id,
                      const std::vector<std::string>& references) {
  for (size_t i = 0; i < references.size(); ++i) {
    work.exec_params(
        "INSERT INTO assignment_references (assignment_id, position, script) VALUES ($1, $2, $3)",
        assignment_id, static_cast<int>(i), pg::Bytes(references[i]));
  }
}

// `url` with a bound on connecting unless it sets one: without, a server
// that does not answer holds a request for minutes.
std::string WithConnectTimeout(const std::string& url) {
  if (url.find("connect_timeout=") != std::string::npos) return url;
  return url + (url.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=10";
}

}  // namespace

PgStore::PgStore(const std::string& url) : pool_(WithConnectTimeout(url), kConnections) {}

PgStoreOpening PgStore::Open(const std::string& url) {
  std::unique_ptr<PgStore> store(new PgStore(url));
  try {
    const std::string refusal =
        store->pool_.Use([](pqxx::connection& connection) { return MigratePgSchema(connection); });
    if (!refusal.empty()) return {nullptr, refusal};
  } catch (const StoreError& error) {
    return {nullptr, std::string("无法连接数据库：") + error.what()};
  }
  return {std::move(store), ""};
}

std::optional<int64_t> PgStore::AddTeacher(std::string_view name, std::string_view password_hash,
                                           bool admin) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<int64_t>(
        work.exec_params("INSERT INTO teachers (name, password_hash, admin) VALUES ($1, $2, $3) "
                         "ON CONFLICT (name) DO NOTHING RETURNING id",
                         Text(name), Text(password_hash), admin),
        [](const pqxx::row& row) { return row[0].as<int64_t>(); });
  });
}

std::optional<TeacherRecord> PgStore::FindTeacher(int64_t id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<TeacherRecord>(
        work.exec_params(std::string(kTeacherColumns) + " WHERE id = $1", id), ReadTeacher);
  });
}

std::optional<TeacherRecord> PgStore::FindTeacherByName(std::string_view name) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<TeacherRecord>(
        work.exec_params(std::string(kTeacherColumns) + " WHERE name = $1", Text(name)),
        ReadTeacher);
  });
}

std::vector<TeacherRecord> PgStore::Teachers() {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return AllRows<TeacherRecord>(work.exec(std::string(kTeacherColumns) + " ORDER BY id"),
                                  ReadTeacher);
  });
}

bool PgStore::MoveClass(int64_t class_id, int64_t teacher_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return work.exec_params(
                   "UPDATE classes SET teacher_id = $1 WHERE id = $2 AND "
                   "EXISTS (SELECT 1 FROM teachers WHERE id = $1)",
                   teacher_id, class_id)
               .affected_rows() == 1;
  });
}

std::optional<int64_t> PgStore::TakeLoginTry(std::string_view key, int64_t now_ms, int most,
                                             int64_t window_ms) {
  return pool_.Use([&](pqxx::connection& connection) -> std::optional<int64_t> {
    pqxx::work work(connection);
    work.exec_params("DELETE FROM login_tries WHERE at_ms <= $1", now_ms - window_ms);
    // Tries from one key on several processes at once are counted in turn.
    work.exec_params("SELECT pg_advisory_xact_lock($1, hashtext($2))", kLoginTryLock, Text(key));
    const int64_t tries =
        work.exec_params1("SELECT COUNT(*) FROM login_tries WHERE key = $1", Text(key))[0]
            .as<int64_t>();
    std::optional<int64_t> id;
    if (tries < most) {
      id = work.exec_params1("INSERT INTO login_tries (key, at_ms) VALUES ($1, $2) RETURNING id",
                             Text(key), now_ms)[0]
               .as<int64_t>();
    }
    work.commit();
    return id;
  });
}

void PgStore::GiveBackLoginTry(int64_t try_id) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction(connection).exec_params("DELETE FROM login_tries WHERE id = $1", try_id);
  });
}

void PgStore::AddSession(const SessionRecord& session, int64_t now) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    // Expired sessions go as new ones come, so the table stays small.
    work.exec_params("DELETE FROM sessions WHERE expires_at <= $1", now);
    const char* role = kRoleWords[static_cast<int>(session.role)];
    work.exec_params(
        "INSERT INTO sessions (token_hash, role, owner_id, expires_at) VALUES ($1, $2, $3, $4)",
        session.token_hash, role, session.owner_id, session.expires_at);
    work.exec_params(
        "DELETE FROM sessions WHERE role = $1 AND owner_id = $2 AND token_hash NOT IN "
        "(SELECT token_hash FROM sessions WHERE role = $1 AND owner_id = $2 "
        "ORDER BY expires_at DESC, added DESC LIMIT $3)",
        role, session.owner_id, kMostSessionsPerOwner);
    work.commit();
  });
}

std::optional<SessionRecord> PgStore::FindSession(std::string_view token_hash, int64_t now) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<SessionRecord>(
        work.exec_params("SELECT role, owner_id, expires_at FROM sessions "
                         "WHERE token_hash = $1 AND expires_at > $2",
                         Text(token_hash), now),
        [&](const pqxx::row& row) {
          const SessionRole role = row[0].as<std::string>() == kRoleWords[0] ? SessionRole::kTeacher
                                                                             : SessionRole::kPupil;
          return SessionRecord{Text(token_hash), role, row[1].as<int64_t>(), row[2].as<int64_t>()};
        });
  });
}

void PgStore::RemoveSession(std::string_view token_hash) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction(connection)
        .exec_params("DELETE FROM sessions WHERE token_hash = $1", Text(token_hash));
  });
}

std::optional<int64_t> PgStore::AddClass(const ClassRecord& record) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<int64_t>(
        work.exec_params("INSERT INTO classes (teacher_id, name, join_code, join_open) "
                         "VALUES ($1, $2, $3, $4) ON CONFLICT (join_code) DO NOTHING RETURNING id",
                         record.teacher_id, record.name, record.join_code, record.join_open),
        [](const pqxx::row& row) { return row[0].as<int64_t>(); });
  });
}

std::optional<ClassRecord> PgStore::FindClass(int64_t id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<ClassRecord>(work.exec_params(std::string(kClassColumns) + " WHERE id = $1", id),
                               ReadClass);
  });
}

std::optional<ClassRecord> PgStore::FindClassByJoinCode(std::string_view join_code) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<ClassRecord>(
        work.exec_params(std::string(kClassColumns) + " WHERE join_code = $1", Text(join_code)),
        ReadClass);
  });
}

std::vector<ClassRecord> PgStore::TeacherClasses(int64_t teacher_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return AllRows<ClassRecord>(
        work.exec_params(std::string(kClassColumns) + " WHERE teacher_id = $1 ORDER BY id",
                         teacher_id),
        ReadClass);
  });
}

void PgStore::SetJoinOpen(int64_t class_id, bool open) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction(connection)
        .exec_params("UPDATE classes SET join_open = $1 WHERE id = $2", open, class_id);
  });
}

void PgStore::AddPupils(int64_t class_id, const std::vector<PupilRecord>& pupils) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    for (const PupilRecord& pupil : pupils) {
      work.exec_params(
          "INSERT INTO pupils (class_id, number, name, code) VALUES ($1, $2, $3, $4) "
          "ON CONFLICT (class_id, number) DO NOTHING",
          class_id, pupil.number, pupil.name, pupil.code);
    }
    work.commit();
  });
}

std::vector<PupilRecord> PgStore::ClassPupils(int64_t class_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return AllRows<PupilRecord>(
        work.exec_params(std::string(kPupilColumns) + " WHERE class_id = $1 ORDER BY id", class_id),
        ReadPupil);
  });
}

std::optional<PupilRecord> PgStore::FindPupil(int64_t id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<PupilRecord>(work.exec_params(std::string(kPupilColumns) + " WHERE id = $1", id),
                               ReadPupil);
  });
}

std::optional<PupilRecord> PgStore::FindPupilByNumber(int64_t class_id, std::string_view number) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<PupilRecord>(
        work.exec_params(std::string(kPupilColumns) + " WHERE class_id = $1 AND number = $2",
                         class_id, Text(number)),
        ReadPupil);
  });
}

int PgStore::RemoveClassPupils(int64_t class_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    // Sessions name their owner by id alone, so a pupil's go by hand.
    work.exec_params(
        "DELETE FROM sessions WHERE role = 'pupil' AND owner_id IN "
        "(SELECT id FROM pupils WHERE class_id = $1)",
        class_id);
    const auto removed =
        work.exec_params("DELETE FROM pupils WHERE class_id = $1", class_id).affected_rows();
    work.commit();
    return static_cast<int>(removed);
  });
}

int64_t PgStore::AddAssignment(const AssignmentRecord& record) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    const int64_t id =
        work.exec_params1(
                "INSERT INTO assignments (class_id, title, deadline, resubmit, show_score) "
                "VALUES ($1, $2, $3, $4, $5) RETURNING id",
                record.class_id, record.title, pg::NullableParam(record.deadline).Get(),
                record.resubmit, record.show_score)[0]
            .as<int64_t>();
    InsertReferences(work, id, record.references);
    work.commit();
    return id;
  });
}

std::optional<AssignmentRecord> PgStore::FindAssignment(int64_t id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::read_transaction work(connection);
    auto record = OneRow<AssignmentRecord>(
        work.exec_params(std::string(kAssignmentColumns) + " WHERE id = $1", id), ReadAssignment);
    if (record) record->references = References(work, id);
    return record;
  });
}

std::vector<AssignmentRecord> PgStore::ClassAssignments(int64_t class_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::read_transaction work(connection);
    auto records = AllRows<AssignmentRecord>(
        work.exec_params(std::string(kAssignmentColumns) + " WHERE class_id = $1 ORDER BY id",
                         class_id),
        ReadAssignment);
    for (AssignmentRecord& record : records) record.references = References(work, record.id);
    return records;
  });
}

int PgStore::ReplaceReferences(int64_t assignment_id, const std::vector<std::string>& references) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    work.exec_params("DELETE FROM assignment_references WHERE assignment_id = $1", assignment_id);
    InsertReferences(work, assignment_id, references);
    const auto queued =
        work.exec_params(
                "UPDATE handins SET state = 'queued', leased_at = NULL, lease = lease + 1 "
                "WHERE assignment_id = $1",
                assignment_id)
            .affected_rows();
    work.commit();
    return static_cast<int>(queued);
  });
}

}  // namespace dravel::hub
