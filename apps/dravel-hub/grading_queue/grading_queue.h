// The workers that grade hand-ins: each takes the oldest queued hand-in
// from the store (the queue is the hand-ins' state, so it outlives the
// process), runs the grader on it without holding any lock, keeps the
// outcome, counts the assignment's copies again and tells the class's wall.
// The grader itself runs each script in a child process; it is given as a
// function so tests can put a quick fake in its place.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
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
  // `jobs` workers (at least 1) once started.
  GradingQueue(HubStore& store, WallFeed& wall, Grader grader, int jobs);
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
  // Grades the oldest queued hand-in; false when there was none.
  bool GradeOne();
  GradeOutcome Grade(const GradingJob& job);
  void Announce(int64_t handin_id);

  HubStore& store_;
  WallFeed& wall_;
  Grader grader_;
  int jobs_;
  std::mutex mutex_;
  std::condition_variable_any woken_;
  uint64_t wakes_ = 0;  // under mutex_
  std::vector<std::jthread> workers_;
};

}  // namespace dravel::hub
