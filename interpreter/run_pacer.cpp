#include "interpreter/run_pacer.h"

#include "interpreter/run_host.h"
#include "runtime/stop_wait.h"

namespace dravel {
namespace {

class RealTimeWaiter final : public PacingWaiter {
 public:
  void Wait(std::chrono::milliseconds interval, const std::stop_token& stop) override {
    SleepUnlessStopped(interval, stop);
  }
};

}  // namespace

void PacingWaiter::Hold(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                        const std::stop_token& stop, const std::function<bool()>& released) {
  WaitUnlessStopped(changed, lock, stop, released);
}

RunPacer::RunPacer(PacingWaiter* waiter) : waiter_(waiter) {
  static RealTimeWaiter real_time;
  if (waiter_ == nullptr) waiter_ = &real_time;
}

void RunPacer::SetInterval(std::chrono::milliseconds interval) {
  std::lock_guard lock(mutex_);
  interval_ = std::max(interval, std::chrono::milliseconds(0));
  UpdateEngaged();
}

std::chrono::milliseconds RunPacer::Interval() const {
  std::lock_guard lock(mutex_);
  return interval_;
}

void RunPacer::Pause() {
  std::lock_guard lock(mutex_);
  paused_ = true;
  UpdateEngaged();
}

void RunPacer::Continue() {
  {
    std::lock_guard lock(mutex_);
    paused_ = false;
    steps_ = 0;
    UpdateEngaged();
  }
  changed_.notify_all();
}

void RunPacer::Step() {
  {
    std::lock_guard lock(mutex_);
    paused_ = true;
    ++steps_;
    UpdateEngaged();
  }
  changed_.notify_all();
}

bool RunPacer::Paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

void RunPacer::RequestHandOver() {
  std::lock_guard lock(mutex_);
  hand_over_ = true;
  UpdateEngaged();
}

bool RunPacer::TakeHandOver() {
  std::lock_guard lock(mutex_);
  const bool asked = hand_over_;
  hand_over_ = false;
  UpdateEngaged();
  return asked;
}

void RunPacer::BeforeCommand(RunHost& host, const std::stop_token& stop, int script_line,
                             int body_item) {
  if (TakeHandOver()) {
    waiter_->HandOver(stop);
    // Whoever came in may have paused the run or slowed it down.
    std::lock_guard lock(mutex_);
    if (!Paced()) return;
  }
  host.ReportExecutingLine(stop, script_line, body_item);
  std::unique_lock lock(mutex_);
  if (paused_) {
    if (steps_ == 0) {
      held_ = true;
      changed_.notify_all();
    }
    waiter_->Hold(changed_, lock, stop, [this] { return !paused_ || steps_ > 0; });
    held_ = false;
    if (stop.stop_requested()) return;
    if (paused_) {
      --steps_;
      return;  // a step is not also slowed down
    }
  }
  const std::chrono::milliseconds interval = interval_;
  lock.unlock();
  if (interval.count() > 0) waiter_->Wait(interval, stop);
}

bool RunPacer::WaitUntilHeld(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return held_ && steps_ == 0; });
}

bool RunPacer::Paced() const { return interval_.count() > 0 || paused_ || steps_ > 0; }

void RunPacer::UpdateEngaged() { engaged_.store(Paced() || hand_over_, std::memory_order_relaxed); }

}  // namespace dravel
