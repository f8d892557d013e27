// PgStore's hand-ins, their pictures and the grading queue kept in their
// state.
#include "apps/dravel-hub/store/pg_rows.h"
#include "apps/dravel-hub/store/pg_store.h"

namespace dravel::hub {
namespace {

using pg::AllRows;
using pg::Bytes;
using pg::BytesOf;
using pg::OneRow;

constexpr const char* kColumns =
    "id, assignment_id, pupil_id, attempt, script, handed_in_at, late, state, score, "
    "last_message, copies";
const std::string kHandinColumns = std::string("SELECT ") + kColumns + " FROM handins";

constexpr const char* kPictureKindWords[] = {"picture", "overlay"};

HandinRecord ReadHandin(const pqxx::row& row) {
  HandinRecord record;
  record.id = row[0].as<int64_t>();
  record.assignment_id = row[1].as<int64_t>();
  record.pupil_id = row[2].as<int64_t>();
  record.attempt = row[3].as<int>();
  record.script = BytesOf(row[4]);
  record.handed_in_at = row[5].as<int64_t>();
  record.late = row[6].as<bool>();
  // The table's CHECK admits only the state words.
  record.state = HandinStateFromWord(row[7].as<std::string>()).value_or(HandinState::kFailed);
  record.score = pg::Nullable<double>(row[8]);
  record.last_message = row[9].as<std::string>();
  record.copies = row[10].as<int>();
  return record;
}

const char* PictureKindWord(PictureKind kind) { return kPictureKindWords[static_cast<int>(kind)]; }

}  // namespace

std::optional<int64_t> PgStore::AddHandin(HandinRecord& handin, bool only_first) {
  return pool_.Use([&](pqxx::connection& connection) -> std::optional<int64_t> {
    pqxx::work work(connection);
    // The pupil's row is the lock that numbers their attempts: two hand-ins
    // at once, through two processes, get attempts one after the other.
    work.exec_params("SELECT 1 FROM pupils WHERE id = $1 FOR NO KEY UPDATE", handin.pupil_id);
    const int attempts = work.exec_params1(
                                 "SELECT COALESCE(MAX(attempt), 0) FROM handins "
                                 "WHERE assignment_id = $1 AND pupil_id = $2",
                                 handin.assignment_id, handin.pupil_id)[0]
                             .as<int>();
    if (only_first && attempts > 0) return std::nullopt;
    const int attempt = attempts + 1;
    const int64_t id =
        work.exec_params1(
                "INSERT INTO handins (assignment_id, pupil_id, attempt, script, "
                "handed_in_at, late, state) VALUES ($1, $2, $3, $4, $5, $6, 'queued') "
                "RETURNING id",
                handin.assignment_id, handin.pupil_id, attempt, Bytes(handin.script),
                handin.handed_in_at, handin.late)[0]
            .as<int64_t>();
    // Acknowledged only once this returns: a commit that fails throws.
    work.commit();
    handin.id = id;
    handin.attempt = attempt;
    handin.state = HandinState::kQueued;
    return id;
  });
}

std::optional<HandinRecord> PgStore::FindHandin(int64_t id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<HandinRecord>(work.exec_params(kHandinColumns + " WHERE id = $1", id),
                                ReadHandin);
  });
}

std::vector<HandinRecord> PgStore::LatestHandins(int64_t assignment_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return AllRows<HandinRecord>(
        work.exec_params(kHandinColumns +
                             " AS h WHERE assignment_id = $1 AND attempt = (SELECT MAX(attempt) "
                             "FROM handins WHERE assignment_id = h.assignment_id AND "
                             "pupil_id = h.pupil_id) ORDER BY pupil_id",
                         assignment_id),
        ReadHandin);
  });
}

std::optional<HandinRecord> PgStore::LatestHandin(int64_t assignment_id, int64_t pupil_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<HandinRecord>(
        work.exec_params(kHandinColumns + " WHERE assignment_id = $1 AND pupil_id = $2 "
                                          "ORDER BY attempt DESC LIMIT 1",
                         assignment_id, pupil_id),
        ReadHandin);
  });
}

std::vector<HandinRecord> PgStore::ClassHandins(int64_t class_id) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return AllRows<HandinRecord>(
        work.exec_params(kHandinColumns + " WHERE assignment_id IN (SELECT id FROM assignments "
                                          "WHERE class_id = $1) ORDER BY id",
                         class_id),
        ReadHandin);
  });
}

std::optional<std::string> PgStore::Picture(int64_t handin_id, PictureKind kind) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return OneRow<std::string>(
        work.exec_params("SELECT png FROM pictures WHERE handin_id = $1 AND kind = $2", handin_id,
                         PictureKindWord(kind)),
        [](const pqxx::row& row) { return BytesOf(row[0]); });
  });
}

std::optional<GradingJob> PgStore::TakeQueued(int64_t now) {
  return pool_.Use([&](pqxx::connection& connection) -> std::optional<GradingJob> {
    pqxx::work work(connection);
    // A lapsed lease first (rare, and older than anything queued), then the
    // oldest queued; each found through the state index, never by reading
    // the graded. SKIP LOCKED: a hand-in another process is taking right
    // now is passed over, not waited for, so graders on many machines never
    // queue behind one another.
    const pqxx::result taken = work.exec_params(
        std::string("UPDATE handins SET state = 'grading', lease = lease + 1, leased_at = $1 "
                    "WHERE id = COALESCE("
                    "(SELECT id FROM handins WHERE state = 'grading' AND leased_at < $2 "
                    "ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED), "
                    "(SELECT id FROM handins WHERE state = 'queued' "
                    "ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED)) RETURNING ") +
            kColumns + ", lease",
        now, now - kLeaseSeconds);
    if (taken.empty()) return std::nullopt;
    GradingJob job;
    job.handin = ReadHandin(taken[0]);
    job.lease = taken[0][11].as<int64_t>();
    const pqxx::result references = work.exec_params(
        "SELECT script FROM assignment_references WHERE assignment_id = $1 ORDER BY position",
        job.handin.assignment_id);
    job.references =
        AllRows<std::string>(references, [](const pqxx::row& row) { return BytesOf(row[0]); });
    work.commit();
    return job;
  });
}

bool PgStore::RenewLease(const GradingJob& job, int64_t now) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return work.exec_params(
                   "UPDATE handins SET leased_at = $1 "
                   "WHERE id = $2 AND lease = $3 AND state = 'grading'",
                   now, job.handin.id, job.lease)
               .affected_rows() == 1;
  });
}

bool PgStore::StoreOutcome(const GradingJob& job, const GradeOutcome& outcome) {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    const auto kept =
        work.exec_params(
                "UPDATE handins SET state = $1, score = $2, last_message = $3, leased_at = NULL "
                "WHERE id = $4 AND lease = $5 AND state = 'grading'",
                std::string(HandinStateWord(outcome.state)), pg::NullableParam(outcome.score).Get(),
                outcome.last_message, job.handin.id, job.lease)
            .affected_rows();
    if (kept == 0) return false;
    work.exec_params("DELETE FROM pictures WHERE handin_id = $1", job.handin.id);
    const std::pair<PictureKind, const std::string*> pictures[] = {
        {PictureKind::kPicture, &outcome.picture_png},
        {PictureKind::kOverlay, &outcome.overlay_png}};
    for (const auto& [kind, png] : pictures) {
      if (png->empty()) continue;
      work.exec_params("INSERT INTO pictures (handin_id, kind, png) VALUES ($1, $2, $3)",
                       job.handin.id, PictureKindWord(kind), Bytes(*png));
    }
    work.commit();
    return true;
  });
}

int PgStore::RequeueUnfinished() {
  return pool_.Use([&](pqxx::connection& connection) {
    pqxx::nontransaction work(connection);
    return static_cast<int>(
        work.exec("UPDATE handins SET state = 'queued', leased_at = NULL, lease = lease + 1 "
                  "WHERE state = 'grading'")
            .affected_rows());
  });
}

void PgStore::SetCopies(const std::vector<std::pair<int64_t, int>>& copies) {
  pool_.Use([&](pqxx::connection& connection) {
    pqxx::work work(connection);
    for (const auto& [handin_id, group] : copies) {
      work.exec_params("UPDATE handins SET copies = $1 WHERE id = $2", group, handin_id);
    }
    work.commit();
  });
}

}  // namespace dravel::hub
