#include "apps/dravel-hub/grading_queue/grading_queue.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <exception>
#include <utility>

#include "apps/dravel-hub/grading_queue/copy_count.h"
#include "apps/dravel-hub/grading_queue/wall_message.h"
#include "apps/dravel-hub/unix_time.h"

namespace dravel::hub {

GradingQueue::GradingQueue(HubStore& store, WallFeed& wall, Grader grader, int jobs, Interval poll)
    : store_(store), wall_(wall), grader_(std::move(grader)), jobs_(jobs), poll_(poll) {
  assert(jobs_ >= 1 && grader_);
}

GradingQueue::~GradingQueue() { Stop(); }

void GradingQueue::Start() {
  assert(workers_.empty());
  for (int i = 0; i < jobs_; ++i) {
    workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
  }
  lease_keeper_ = std::jthread([this](std::stop_token stop) { KeepLeases(stop); });
}

void GradingQueue::Stop() {
  for (std::jthread& worker : workers_) worker.request_stop();
  workers_.clear();    // joins
  lease_keeper_ = {};  // stops and joins
}

void GradingQueue::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  woken_.notify_all();
}

void GradingQueue::Work(std::stop_token stop) {
  while (!stop.stop_requested()) {
    uint64_t seen;
    {
      std::lock_guard lock(mutex_);
      seen = wakes_;
    }
    bool graded = false;
    try {
      graded = GradeOne();
      SayAnswered();
    } catch (const std::exception& error) {
      // The database failed; the hand-in stays grading until its lease
      // lapses and it is taken again. Wait rather than spin.
      SayFailure(error.what());
    }
    if (graded) continue;
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, stop, poll_, [&] { return wakes_ != seen; });
  }
}

void GradingQueue::SayFailure(const char* what) {
  std::lock_guard lock(mutex_);
  if (std::exchange(failing_, true)) return;
  std::fprintf(stderr, "dravel-hub: grading: %s\n", what);
}

void GradingQueue::SayAnswered() {
  std::lock_guard lock(mutex_);
  if (std::exchange(failing_, false)) std::fprintf(stderr, "dravel-hub: grading: working again\n");
}

void GradingQueue::KeepLeases(std::stop_token stop) {
  for (;;) {
    std::vector<GradingJob> jobs;
    {
      std::unique_lock lock(mutex_);
      // Woken only by the stop: the predicate is that alone.
      woken_.wait_for(lock, stop, std::chrono::seconds(kLeaseRenewSeconds), [] { return false; });
      if (stop.stop_requested()) return;
      for (const auto& [id, job] : grading_) jobs.push_back(job);
    }
    for (const GradingJob& job : jobs) {
      try {
        // A lease lost (new references) is refused again at the outcome.
        store_.RenewLease(job, UnixNow());
      } catch (const std::exception& error) {
        std::fprintf(stderr, "dravel-hub: grading lease: %s\n", error.what());
      }
    }
  }
}

bool GradingQueue::GradeOne() {
  const std::optional<GradingJob> job = store_.TakeQueued(UnixNow());
  if (!job) return false;
  {
    std::lock_guard lock(mutex_);
    grading_[job->handin.id] = *job;
  }
  const GradeOutcome outcome = Grade(*job);
  {
    std::lock_guard lock(mutex_);
    grading_.erase(job->handin.id);
  }
  // Queued again meanwhile (new references): the next take grades it anew.
  if (!store_.StoreOutcome(*job, outcome)) return true;
  RecountCopies(store_, job->handin.assignment_id);
  Announce(job->handin.id);
  return true;
}

GradeOutcome GradingQueue::Grade(const GradingJob& job) {
  GradeOutcome outcome;
  try {
    outcome = grader_(job.handin.script, job.references);
  } catch (const std::exception& error) {
    outcome.last_message = std::string("评分出错：") + error.what();
  }
  // Grading ends in one of two states; anything else would leave the
  // hand-in waiting for a worker that never comes.
  if (outcome.state != HandinState::kGraded) outcome.state = HandinState::kFailed;
  // The message may quote the script, NULs and all; a server database
  // refuses a NUL in text, and the hand-in would be taken again forever.
  std::replace(outcome.last_message.begin(), outcome.last_message.end(), '\0', '?');
  return outcome;
}

void GradingQueue::Announce(int64_t handin_id) {
  const std::optional<HandinRecord> handin = store_.FindHandin(handin_id);
  if (!handin) return;
  const std::optional<PupilRecord> pupil = store_.FindPupil(handin->pupil_id);
  if (pupil) wall_.Publish(pupil->class_id, WallMessage(*handin, *pupil));
}

}  // namespace dravel::hub
