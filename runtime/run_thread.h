// The run thread: a routine started beside the window's thread with a run
// session of its own, and ended from the window's thread. Ending is
// cooperative: `EndThread` stops the session, the run's one stop source, and
// the routine checks it between steps and inside its waits, so nothing is
// killed while it holds a lock. The thread keeps its own state; joining
// happens when its reference is released, which waits for the routine to
// return.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "runtime/run_session.h"

namespace dravel {

// Runs `request_stop` while holding whatever must not see a half-stopped run.
using StopGuard = std::function<void(const std::function<void()>& request_stop)>;

class RunThread {
 public:
  using Routine = std::function<void(const RunSession&)>;

  // Starts `routine` at once on a new thread, given the thread's session;
  // throws std::system_error when the thread cannot be created.
  explicit RunThread(Routine routine);
  // Stops the session when still running and waits for the routine to return.
  ~RunThread();
  RunThread(const RunThread&) = delete;
  RunThread& operator=(const RunThread&) = delete;

  bool End(const StopGuard& guard);
  bool Ended() const { return state_.load() == kEnded; }
  // Neither finished nor ended.
  bool Running() const { return state_.load() == kRunning; }
  bool Wait(std::optional<std::chrono::milliseconds> timeout);

 private:
  enum State { kRunning, kFinished, kEnded };

  void Main(const Routine& routine);

  std::atomic<int> state_{kRunning};
  std::mutex mutex_;
  std::condition_variable returned_changed_;
  bool returned_ = false;
  RunSession session_;
  std::thread thread_;  // last, so that it starts once the members above exist
};

using ThreadReference = std::unique_ptr<RunThread>;

// A started thread, or null when it could not be created.
ThreadReference StartThread(RunThread::Routine routine);

// Ends a thread still running: marks it ended and stops its session inside
// `guard` (when given), and gives true. Gives false, requesting nothing, for null and for a
// thread whose routine has already finished or that was already ended.
bool EndThread(const ThreadReference& thread, const StopGuard& guard = {});

// Waits until the routine has returned, at most `timeout` when given; true
// when it has returned (or `thread` is null).
bool WaitForThread(const ThreadReference& thread,
                   std::optional<std::chrono::milliseconds> timeout = {});

}  // namespace dravel
