// SqliteStore's hand-ins, their pictures and the grading queue kept in
// their state.
#include "apps/dravel-hub/store/sqlite_store.h"

namespace dravel::hub {
namespace {

constexpr const char* kHandinColumns =
    "SELECT id, assignment_id, pupil_id, attempt, script, handed_in_at, late, state, score, "
    "last_message, copies FROM handins";

constexpr std::string_view kPictureKindWords[] = {"picture", "overlay"};

HandinRecord ReadHandin(Statement& row) {
  HandinRecord record;
  record.id = row.Int(0);
  record.assignment_id = row.Int(1);
  record.pupil_id = row.Int(2);
  record.attempt = static_cast<int>(row.Int(3));
  record.script = row.Text(4);
  record.handed_in_at = row.Int(5);
  record.late = row.Int(6) != 0;
  // The table's CHECK admits only the state words.
  record.state = HandinStateFromWord(row.Text(7)).value_or(HandinState::kFailed);
  record.score = row.OptionalReal(8);
  record.last_message = row.Text(9);
  record.copies = static_cast<int>(row.Int(10));
  return record;
}

std::string_view PictureKindWord(PictureKind kind) {
  return kPictureKindWords[static_cast<int>(kind)];
}

}  // namespace

std::optional<int64_t> SqliteStore::AddHandin(HandinRecord& handin, bool only_first) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_);
  Statement last(*db_,
                 "SELECT COALESCE(MAX(attempt), 0) FROM handins "
                 "WHERE assignment_id = ? AND pupil_id = ?");
  last.Bind(1, handin.assignment_id).Bind(2, handin.pupil_id).Step();
  const int64_t attempts = last.Int(0);
  if (only_first && attempts > 0) return std::nullopt;
  handin.attempt = static_cast<int>(attempts + 1);
  handin.state = HandinState::kQueued;
  Statement(*db_,
            "INSERT INTO handins (assignment_id, pupil_id, attempt, script, handed_in_at, late, "
            "state) VALUES (?, ?, ?, ?, ?, ?, ?)")
      .Bind(1, handin.assignment_id)
      .Bind(2, handin.pupil_id)
      .Bind(3, int64_t{handin.attempt})
      .BindBlob(4, handin.script)
      .Bind(5, handin.handed_in_at)
      .Bind(6, int64_t{handin.late})
      .Bind(7, HandinStateWord(handin.state))
      .Run();
  handin.id = db_->LastInsertId();
  transaction.Commit();
  return handin.id;
}

std::optional<HandinRecord> SqliteStore::FindHandin(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kHandinColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id);
  if (!query.Step()) return std::nullopt;
  return ReadHandin(query);
}

std::vector<HandinRecord> SqliteStore::LatestHandins(int64_t assignment_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kHandinColumns) +
                         " AS h WHERE assignment_id = ? AND attempt = (SELECT MAX(attempt) "
                         "FROM handins WHERE assignment_id = h.assignment_id AND "
                         "pupil_id = h.pupil_id) ORDER BY pupil_id")
                            .c_str());
  query.Bind(1, assignment_id);
  std::vector<HandinRecord> records;
  while (query.Step()) records.push_back(ReadHandin(query));
  return records;
}

std::optional<HandinRecord> SqliteStore::LatestHandin(int64_t assignment_id, int64_t pupil_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kHandinColumns) +
                         " WHERE assignment_id = ? AND pupil_id = ? ORDER BY attempt DESC LIMIT 1")
                            .c_str());
  query.Bind(1, assignment_id).Bind(2, pupil_id);
  if (!query.Step()) return std::nullopt;
  return ReadHandin(query);
}

std::vector<HandinRecord> SqliteStore::ClassHandins(int64_t class_id) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, (std::string(kHandinColumns) +
                         " WHERE assignment_id IN (SELECT id FROM assignments WHERE class_id = ?) "
                         "ORDER BY id")
                            .c_str());
  query.Bind(1, class_id);
  std::vector<HandinRecord> records;
  while (query.Step()) records.push_back(ReadHandin(query));
  return records;
}

std::optional<std::string> SqliteStore::Picture(int64_t handin_id, PictureKind kind) {
  std::lock_guard lock(mutex_);
  Statement query(*db_, "SELECT png FROM pictures WHERE handin_id = ? AND kind = ?");
  query.Bind(1, handin_id).Bind(2, PictureKindWord(kind));
  if (!query.Step()) return std::nullopt;
  return query.Text(0);
}

// A lapsed lease first (rare, and older than anything queued), then the
// oldest queued; each found through the state index.
std::optional<GradingJob> SqliteStore::TakeQueued(int64_t now) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_, Sync::kUnsynced);
  Statement take(*db_,
                 "UPDATE handins SET state = 'grading', lease = lease + 1, leased_at = ?1 "
                 "WHERE id = COALESCE("
                 "(SELECT id FROM handins WHERE state = 'grading' AND leased_at < ?2 "
                 "ORDER BY id LIMIT 1), "
                 "(SELECT id FROM handins WHERE state = 'queued' ORDER BY id LIMIT 1)) "
                 "RETURNING id, lease");
  take.Bind(1, now).Bind(2, now - kLeaseSeconds);
  if (!take.Step()) return std::nullopt;
  const int64_t id = take.Int(0);
  GradingJob job;
  job.lease = take.Int(1);
  take.Run();
  Statement query(*db_, (std::string(kHandinColumns) + " WHERE id = ?").c_str());
  query.Bind(1, id).Step();
  job.handin = ReadHandin(query);
  job.references = ReferencesLocked(job.handin.assignment_id);
  transaction.Commit();
  return job;
}

bool SqliteStore::RenewLease(const GradingJob& job, int64_t now) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_, Sync::kUnsynced);
  Statement(*db_,
            "UPDATE handins SET leased_at = ? WHERE id = ? AND lease = ? AND state = 'grading'")
      .Bind(1, now)
      .Bind(2, job.handin.id)
      .Bind(3, job.lease)
      .Run();
  const bool renewed = db_->Changes() == 1;
  transaction.Commit();
  return renewed;
}

bool SqliteStore::StoreOutcome(const GradingJob& job, const GradeOutcome& outcome) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_, Sync::kUnsynced);
  Statement(*db_,
            "UPDATE handins SET state = ?, score = ?, last_message = ?, leased_at = NULL "
            "WHERE id = ? AND lease = ? AND state = 'grading'")
      .Bind(1, HandinStateWord(outcome.state))
      .Bind(2, outcome.score)
      .Bind(3, outcome.last_message)
      .Bind(4, job.handin.id)
      .Bind(5, job.lease)
      .Run();
  if (db_->Changes() == 0) return false;
  Statement(*db_, "DELETE FROM pictures WHERE handin_id = ?").Bind(1, job.handin.id).Run();
  const std::pair<PictureKind, const std::string*> pictures[] = {
      {PictureKind::kPicture, &outcome.picture_png}, {PictureKind::kOverlay, &outcome.overlay_png}};
  for (const auto& [kind, png] : pictures) {
    if (png->empty()) continue;
    Statement(*db_, "INSERT INTO pictures (handin_id, kind, png) VALUES (?, ?, ?)")
        .Bind(1, job.handin.id)
        .Bind(2, PictureKindWord(kind))
        .BindBlob(3, *png)
        .Run();
  }
  transaction.Commit();
  return true;
}

int SqliteStore::RequeueUnfinished() {
  std::lock_guard lock(mutex_);
  Statement(*db_,
            "UPDATE handins SET state = 'queued', leased_at = NULL, lease = lease + 1 "
            "WHERE state = 'grading'")
      .Run();
  return db_->Changes();
}

void SqliteStore::SetCopies(const std::vector<std::pair<int64_t, int>>& copies) {
  std::lock_guard lock(mutex_);
  Transaction transaction(*db_, Sync::kUnsynced);
  for (const auto& [handin_id, group] : copies) {
    Statement(*db_, "UPDATE handins SET copies = ? WHERE id = ?")
        .Bind(1, int64_t{group})
        .Bind(2, handin_id)
        .Run();
  }
  transaction.Commit();
}

}  // namespace dravel::hub
