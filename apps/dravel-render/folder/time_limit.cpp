#include "apps/dravel-render/folder/time_limit.h"

#include <unistd.h>

#include <algorithm>

namespace dravel {

TimeLimit::TimeLimit() : watcher_([this](std::stop_token stop) { Watch(stop); }) {}

TimeLimit::~TimeLimit() {
  watcher_.request_stop();
  changed_.notify_all();
}

void TimeLimit::Arm(Clock::time_point deadline, std::string message, int status) {
  {
    std::lock_guard lock(mutex_);
    armed_ = true;
    deadline_ = deadline;
    message_ = std::move(message) + "\n";
    status_ = status;
  }
  changed_.notify_all();
}

void TimeLimit::Disarm() {
  {
    std::lock_guard lock(mutex_);
    armed_ = false;
  }
  changed_.notify_all();
}

void TimeLimit::Watch(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    if (!armed_) {
      changed_.wait(lock, stop, [&] { return armed_; });
      continue;
    }
    const Clock::time_point deadline = deadline_;
    if (changed_.wait_until(lock, stop, deadline, [&] { return !armed_ || deadline_ != deadline; }))
      continue;
    if (stop.stop_requested()) return;
    // Whatever the main thread is doing, it cannot be asked to stop.
    [[maybe_unused]] const ssize_t written = write(2, message_.data(), message_.size());
    _exit(status_);
  }
}

std::chrono::milliseconds Left(TimeLimit::Clock::time_point started,
                               std::chrono::milliseconds limit) {
  const auto spent =
      std::chrono::duration_cast<std::chrono::milliseconds>(TimeLimit::Clock::now() - started);
  return std::max(limit - spent, std::chrono::milliseconds(0));
}

}  // namespace dravel
