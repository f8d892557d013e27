// What the hub keeps between runs, behind one interface: teachers and
// login sessions, classes with their pupils and assignments, hand-ins with
// their grading and pictures, and the grading queue, which lives in the
// hand-ins' state. SQLite implements it (sqlite_store.h); nothing here names
// a database's own types, so a server database can implement it too.
//
// Every member is safe to call from any thread. A failure of the database
// itself (disk full, file damaged) throws StoreError; everything a caller
// can get wrong is a result.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

// Sessions one teacher or pupil keeps at once: a few devices with room to
// spare. One who logs in again and again, by hand or by script, then cannot
// fill the disk with sessions.
inline constexpr int kMostSessionsPerOwner = 20;

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A hand-in taken from the queue for grading. `lease` names this take: an
// outcome is kept only while the hand-in is still under the same lease, so
// a hand-in queued again meanwhile (new references) is not overwritten by
// the old grading.
struct GradingJob {
  HandinRecord handin;
  std::vector<std::string> references;  // GBK
  int64_t lease = 0;
};

class HubStore {
 public:
  virtual ~HubStore() = default;

  // The new teacher's id; nullopt, keeping nothing, when a teacher has
  // that name already (names are unique).
  virtual std::optional<int64_t> AddTeacher(std::string_view name, std::string_view password_hash,
                                            bool admin) = 0;
  virtual std::optional<TeacherRecord> FindTeacher(int64_t id) = 0;
  virtual std::optional<TeacherRecord> FindTeacherByName(std::string_view name) = 0;
  // Ordered by id: the first is the hub's own teacher, whom a password
  // alone logs in.
  virtual std::vector<TeacherRecord> Teachers() = 0;

  // Keeps `session`, dropping those expired by `now` and the owner's oldest
  // beyond kMostSessionsPerOwner.
  virtual void AddSession(const SessionRecord& session, int64_t now) = 0;
  // The session with `token_hash` that has not expired by `now`.
  virtual std::optional<SessionRecord> FindSession(std::string_view token_hash, int64_t now) = 0;
  virtual void RemoveSession(std::string_view token_hash) = 0;

  // The new class's id; nullopt when another class has its join code.
  virtual std::optional<int64_t> AddClass(const ClassRecord& record) = 0;
  virtual std::optional<ClassRecord> FindClass(int64_t id) = 0;
  virtual std::optional<ClassRecord> FindClassByJoinCode(std::string_view join_code) = 0;
  virtual std::vector<ClassRecord> TeacherClasses(int64_t teacher_id) = 0;
  virtual void SetJoinOpen(int64_t class_id, bool open) = 0;
  // Hands the class, with everything in it, to the teacher; false, changing
  // nothing, when the class or the teacher does not exist.
  virtual bool MoveClass(int64_t class_id, int64_t teacher_id) = 0;

  // Adds, in one transaction, the pupils whose numbers the class does not
  // have yet; the others stay as they are, codes and all.
  virtual void AddPupils(int64_t class_id, const std::vector<PupilRecord>& pupils) = 0;
  virtual std::vector<PupilRecord> ClassPupils(int64_t class_id) = 0;  // in the order added
  virtual std::optional<PupilRecord> FindPupil(int64_t id) = 0;
  virtual std::optional<PupilRecord> FindPupilByNumber(int64_t class_id,
                                                       std::string_view number) = 0;
  // Removes the class's pupils with their hand-ins, pictures and sessions;
  // the number removed.
  virtual int RemoveClassPupils(int64_t class_id) = 0;

  virtual int64_t AddAssignment(const AssignmentRecord& record) = 0;
  virtual std::optional<AssignmentRecord> FindAssignment(int64_t id) = 0;
  virtual std::vector<AssignmentRecord> ClassAssignments(int64_t class_id) = 0;
  // Replaces the references and queues every hand-in of the assignment
  // again, in one transaction; the number queued.
  virtual int ReplaceReferences(int64_t assignment_id,
                                const std::vector<std::string>& references) = 0;

  // Keeps `handin` (its id and attempt are set here) as queued and returns
  // its id once committed; nullopt, keeping nothing, when `only_first` and
  // the pupil has handed in for the assignment already.
  virtual std::optional<int64_t> AddHandin(HandinRecord& handin, bool only_first) = 0;
  virtual std::optional<HandinRecord> FindHandin(int64_t id) = 0;
  // Each pupil's latest hand-in for the assignment.
  virtual std::vector<HandinRecord> LatestHandins(int64_t assignment_id) = 0;
  virtual std::optional<HandinRecord> LatestHandin(int64_t assignment_id, int64_t pupil_id) = 0;
  // Every hand-in (every attempt) for the class's assignments, oldest first.
  virtual std::vector<HandinRecord> ClassHandins(int64_t class_id) = 0;
  virtual std::optional<std::string> Picture(int64_t handin_id, PictureKind kind) = 0;

  // Takes the oldest queued hand-in for grading (no two callers get the
  // same one), marking it grading under a new lease taken at `now`.
  virtual std::optional<GradingJob> TakeQueued(int64_t now) = 0;
  // Keeps what grading made of the job; false, keeping nothing, when the
  // job's lease is no longer the hand-in's.
  virtual bool StoreOutcome(const GradingJob& job, const GradeOutcome& outcome) = 0;
  // Queues again the hand-ins a stopped process left grading; how many.
  virtual int RequeueUnfinished() = 0;
  // Sets each hand-in's group of copies: pairs of hand-in id and group.
  virtual void SetCopies(const std::vector<std::pair<int64_t, int>>& copies) = 0;
};

}  // namespace dravel::hub
