// The workers that grade hand-ins: each takes the oldest queued hand-in
// from the store (the queue is the hand-ins' state, so it outlives the
// process), runs the grader on it without holding any lock, keeps the
// outcome, counts the assignment's copies again and tells the class's wall.
// The grader itself runs each script in a child process; it is given as a
// function so tests can put a quick fake in its place.
// While a hand-in is graded its lease is renewed every kLeaseRenewSeconds,
// so only a dead process's gradings are taken again. Idle workers look in
// the store when woken and at least every poll interval: on a database
// shared with other processes, work arrives that nobody here announced.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/hub_records.h"
#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

using Grader = std::function<GradeOutcome(std::string_view gbk_script,
                                          const std::vector<std::string>& gbk_references)>;

class GradingQueue {
 public:
  using Interval = std::chrono::milliseconds;
  // Other processes queue work on a shared database; one's own is woken.
  static constexpr Interval kSharedPoll = std::chrono::seconds(1);
  // A lapsed lease of one's own (a failed store) is looked for now and then.
  static constexpr Interval kOwnPoll = std::chrono::seconds(kLeaseSeconds);

  // `jobs` workers (at least 1) once started, idle ones looking for work
  // every `poll`.
  GradingQueue(HubStore& store, WallFeed& wall, Grader grader, int jobs, Interval poll = kOwnPoll);
  ~GradingQueue();
  GradingQueue(const GradingQueue&) = delete;
  GradingQueue& operator=(const GradingQueue&) = delete;

  void Start();
  // Waits for the hand-ins being graded to finish; the queued ones wait in
  // the store for the next start.
  void Stop();
  // Something was queued: an idle worker looks again.
  void Wake();

 private:
  void Work(std::stop_token stop);
  // Renews the leases of the jobs being graded, every kLeaseRenewSeconds.
  void KeepLeases(std::stop_token stop);
  // Grades the oldest queued hand-in; false when there was none.
  bool GradeOne();
  GradeOutcome Grade(const GradingJob& job);
  void Announce(int64_t handin_id);
  // Says a database failure once for each outage, whichever worker meets
  // it, and says when a worker gets an answer again.
  void SayFailure(const char* what);
  void SayAnswered();

  HubStore& store_;
  WallFeed& wall_;
  Grader grader_;
  int jobs_;
  Interval poll_;
  std::mutex mutex_;
  std::condition_variable_any woken_;
  uint64_t wakes_ = 0;                     // under mutex_
  std::map<int64_t, GradingJob> grading_;  // by hand-in id, under mutex_
  bool failing_ = false;                   // under mutex_
  std::vector<std::jthread> workers_;
  // Stopped after the workers, so gradings finishing during a stop keep
  // their leases.
  std::jthread lease_keeper_;
};

}  // namespace dravel::hub
