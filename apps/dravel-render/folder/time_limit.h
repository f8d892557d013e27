// The time limit on what a run's own timeout cannot stop: reading a script,
// converting it, making its canvas, checking it. A script of hundreds of MB
// takes most of a minute there, before any run starts. While armed, a
// thread of its own ends the process at the deadline, saying so on standard
// error; the run itself is stopped as always, with the time left (Left).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace dravel {

class TimeLimit {
 public:
  using Clock = std::chrono::steady_clock;

  TimeLimit();
  ~TimeLimit();
  TimeLimit(const TimeLimit&) = delete;
  TimeLimit& operator=(const TimeLimit&) = delete;

  // Ends the process with `status` after printing `message` (a line) once
  // `deadline` has passed, unless disarmed first; replaces an earlier arming.
  void Arm(Clock::time_point deadline, std::string message, int status);
  void Disarm();

 private:
  void Watch(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool armed_ = false;
  Clock::time_point deadline_;
  std::string message_;
  int status_ = 0;
  std::jthread watcher_;
};

// The time left of `limit` from `started`, never below zero.
std::chrono::milliseconds Left(TimeLimit::Clock::time_point started,
                               std::chrono::milliseconds limit);

}  // namespace dravel
