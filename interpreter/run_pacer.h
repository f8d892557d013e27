// RunPacer: how fast a run goes, between the interpreter and the turtle. It
// owns the speed (a wait before each command, none at the fastest), pause,
// continue and single steps, and reports the line about to run while a run is
// paced; it also hands a run's thread over between commands when asked (the
// page's worker, whose run shares its thread with the page's messages). Waits are stop-token waits,
// so a stop ends a paced or paused run at once. The clock is a PacingWaiter, which tests replace so
// they run instantly. Any thread may change the settings; the run thread waits.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>

namespace dravel {

class RunHost;

// The pacer's clock and its hold while paused.
class PacingWaiter {
 public:
  virtual ~PacingWaiter() = default;
  // Waits `interval` unless `stop` is requested first.
  virtual void Wait(std::chrono::milliseconds interval, const std::stop_token& stop) = 0;
  // With `lock` (the pacer's) held: returns once `released()` holds or `stop`
  // is requested; whoever changes what `released` reads notifies `changed`.
  // A waiter whose run shares its only thread with whoever continues it (the
  // page's worker) must hand that thread back while it holds, not block.
  virtual void Hold(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                    const std::stop_token& stop, const std::function<bool()>& released);
  // Asked for by RunPacer::RequestHandOver, between two commands: a waiter
  // whose run shares its only thread with whoever changes the pacer lets them
  // in here. The default has no one to let in.
  virtual void HandOver(const std::stop_token& /*stop*/) {}
};

class RunPacer {
 public:
  // Null `waiter`: real time.
  explicit RunPacer(PacingWaiter* waiter = nullptr);

  // 0 is the fastest: no wait of the pacer's own.
  void SetInterval(std::chrono::milliseconds interval);
  std::chrono::milliseconds Interval() const;
  void Pause();
  // Leaves the pause and drops steps not yet taken.
  void Continue();
  // Lets a paused run carry out one more command; pauses a running one first.
  void Step();
  bool Paused() const;
  // Before the next command the run calls the waiter's HandOver, once, and
  // then is paced as the settings stand after it.
  void RequestHandOver();

  // One load: whether a command must go through BeforeCommand at all.
  bool Engaged() const { return engaged_.load(std::memory_order_relaxed); }
  // Before a command: a hand-over asked for; then, while paced, reports its
  // place and waits for the interval, or while paused for a step or a
  // continue. Returns at once when `stop` is requested.
  void BeforeCommand(RunHost& host, const std::stop_token& stop, int script_line, int body_item);

  // For tests: blocks until the run waits paused with no step left, at most
  // `timeout`; true when it does.
  bool WaitUntilHeld(std::chrono::milliseconds timeout);

 private:
  void UpdateEngaged();  // under mutex_
  bool TakeHandOver();
  bool Paced() const;  // under mutex_

  PacingWaiter* waiter_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::chrono::milliseconds interval_{0};
  bool paused_ = false;
  int steps_ = 0;
  bool held_ = false;
  bool hand_over_ = false;
  std::atomic<bool> engaged_{false};
};

}  // namespace dravel
