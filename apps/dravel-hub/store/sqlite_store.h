// HubStore on one SQLite file: one connection, used by one thread at a time
// under a mutex (grading takes the lock only to take a job and to keep its
// outcome, never while a script runs). Other processes on the same file
// wait for SQLite's busy timeout. Hand-ins are acknowledged after their
// transaction commits with full syncs.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "apps/dravel-hub/store/hub_store.h"
#include "apps/dravel-hub/store/sqlite_db.h"

namespace dravel::hub {

class SqliteStore;

struct StoreOpening {
  std::unique_ptr<SqliteStore> store;
  std::string error;  // Chinese, for the teacher; set when store is null
};

class SqliteStore final : public HubStore {
 public:
  // Opens or creates the database at `path` and brings its schema up to
  // date; refuses a file written by a newer program.
  static StoreOpening Open(const std::string& path);

  std::optional<int64_t> AddTeacher(std::string_view name, std::string_view password_hash,
                                    bool admin) override;
  std::optional<TeacherRecord> FindTeacher(int64_t id) override;
  std::optional<TeacherRecord> FindTeacherByName(std::string_view name) override;
  std::vector<TeacherRecord> Teachers() override;

  void AddSession(const SessionRecord& session, int64_t now) override;
  std::optional<SessionRecord> FindSession(std::string_view token_hash, int64_t now) override;
  void RemoveSession(std::string_view token_hash) override;

  std::optional<int64_t> AddClass(const ClassRecord& record) override;
  std::optional<ClassRecord> FindClass(int64_t id) override;
  std::optional<ClassRecord> FindClassByJoinCode(std::string_view join_code) override;
  std::vector<ClassRecord> TeacherClasses(int64_t teacher_id) override;
  void SetJoinOpen(int64_t class_id, bool open) override;
  bool MoveClass(int64_t class_id, int64_t teacher_id) override;

  void AddPupils(int64_t class_id, const std::vector<PupilRecord>& pupils) override;
  std::vector<PupilRecord> ClassPupils(int64_t class_id) override;
  std::optional<PupilRecord> FindPupil(int64_t id) override;
  std::optional<PupilRecord> FindPupilByNumber(int64_t class_id, std::string_view number) override;
  int RemoveClassPupils(int64_t class_id) override;

  int64_t AddAssignment(const AssignmentRecord& record) override;
  std::optional<AssignmentRecord> FindAssignment(int64_t id) override;
  std::vector<AssignmentRecord> ClassAssignments(int64_t class_id) override;
  int ReplaceReferences(int64_t assignment_id, const std::vector<std::string>& references) override;

  std::optional<int64_t> AddHandin(HandinRecord& handin, bool only_first) override;
  std::optional<HandinRecord> FindHandin(int64_t id) override;
  std::vector<HandinRecord> LatestHandins(int64_t assignment_id) override;
  std::optional<HandinRecord> LatestHandin(int64_t assignment_id, int64_t pupil_id) override;
  std::vector<HandinRecord> ClassHandins(int64_t class_id) override;
  std::optional<std::string> Picture(int64_t handin_id, PictureKind kind) override;

  std::optional<GradingJob> TakeQueued(int64_t now) override;
  bool StoreOutcome(const GradingJob& job, const GradeOutcome& outcome) override;
  int RequeueUnfinished() override;
  void SetCopies(const std::vector<std::pair<int64_t, int>>& copies) override;

 private:
  explicit SqliteStore(std::unique_ptr<SqliteDb> db) : db_(std::move(db)) {}

  // Callers hold mutex_.
  std::vector<std::string> ReferencesLocked(int64_t assignment_id);
  void InsertReferencesLocked(int64_t assignment_id, const std::vector<std::string>& references);

  std::mutex mutex_;
  std::unique_ptr<SqliteDb> db_;
};

}  // namespace dravel::hub
