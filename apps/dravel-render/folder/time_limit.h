// The time limit on what a run's own timeout cannot stop: reading a script,
// converting it, making its canvas, checking it. A script of hundreds of MB
// takes most of a minute there, before any run starts. While armed, a timer
// signals the thread that armed it at the deadline, and the signal ends the
// process, saying so on standard error; the run itself is stopped as always,
// with the time left (Left). A timer rather than a watching thread: starting
// and joining a thread cost a short script's whole process a third more.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <time.h>

#include <chrono>
#include <string>

namespace dravel {

// One at a time per process; armed and disarmed by the thread that made it.
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
  void SetTimer(Clock::time_point deadline);

  pid_t owner_;
  timer_t timer_{};
  struct sigaction before_ {};
};

// The time left of `limit` from `started`, never below zero.
std::chrono::milliseconds Left(TimeLimit::Clock::time_point started,
                               std::chrono::milliseconds limit);

}  // namespace dravel
