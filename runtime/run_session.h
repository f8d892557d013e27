// RunSession: one run, from its start to its end. The run driver stops it
// while holding every lock the run's effects take (the window's queue, the
// canvas's lock), and every effect checks it under its lock, so each effect of
// the run lies wholly before the stop, and shows, or after it, and is dropped.
// Waits of the run (a delay, a pause) end when it is stopped.
#pragma once

#include <stop_token>

namespace dravel {

class RunSession {
 public:
  // Check under the lock the effect takes.
  bool Stopped() const { return source_.stop_requested(); }
  std::stop_token Token() const { return source_.get_token(); }
  // The driver's, under the locks.
  void Stop() { source_.request_stop(); }

 private:
  std::stop_source source_;
};

}  // namespace dravel
