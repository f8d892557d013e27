// HubStore on a PostgreSQL database, for a hub served by several processes
// (on one machine or many) at once: a small pool of connections
// (pg_pool.h), the schema brought up to date at opening (pg_schema.h), the
// grading queue taken with FOR UPDATE SKIP LOCKED so no two processes take
// one hand-in, and leases that let a hand-in whose process died be taken
// again. A hand-in is acknowledged once its transaction has committed.
#pragma once

#include <memory>
#include <string>

#include "apps/dravel-hub/store/hub_store.h"
#include "apps/dravel-hub/store/pg_pool.h"

namespace dravel::hub {

class PgStore;

struct PgStoreOpening {
  std::unique_ptr<PgStore> store;
  std::string error;  // Chinese, for the teacher; set when store is null
};

class PgStore final : public HubStore {
 public:
  // Connections each thread of a hub may want at once: the server's
  // handlers, the graders and their lease keeper, with room to spare.
  static constexpr size_t kConnections = 8;

  // Connects to `url` and brings its schema up to date; refuses a database
  // written by a newer program. The error never holds the URL.
  static PgStoreOpening Open(const std::string& url);

  std::optional<int64_t> AddTeacher(std::string_view name, std::string_view password_hash,
                                    bool admin) override;
  std::optional<TeacherRecord> FindTeacher(int64_t id) override;
  std::optional<TeacherRecord> FindTeacherByName(std::string_view name) override;
  std::vector<TeacherRecord> Teachers() override;
  bool MoveClass(int64_t class_id, int64_t teacher_id) override;

  std::optional<int64_t> TakeLoginTry(std::string_view key, int64_t now_ms, int most,
                                      int64_t window_ms) override;
  void GiveBackLoginTry(int64_t try_id) override;

  void AddSession(const SessionRecord& session, int64_t now) override;
  std::optional<SessionRecord> FindSession(std::string_view token_hash, int64_t now) override;
  void RemoveSession(std::string_view token_hash) override;

  std::optional<int64_t> AddClass(const ClassRecord& record) override;
  std::optional<ClassRecord> FindClass(int64_t id) override;
  std::optional<ClassRecord> FindClassByJoinCode(std::string_view join_code) override;
  std::vector<ClassRecord> TeacherClasses(int64_t teacher_id) override;
  void SetJoinOpen(int64_t class_id, bool open) override;

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
  bool RenewLease(const GradingJob& job, int64_t now) override;
  bool StoreOutcome(const GradingJob& job, const GradeOutcome& outcome) override;
  int RequeueUnfinished() override;
  void SetCopies(const std::vector<std::pair<int64_t, int>>& copies) override;

 private:
  explicit PgStore(const std::string& url);

  PgPool pool_;
};

}  // namespace dravel::hub
