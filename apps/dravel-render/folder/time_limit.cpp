#include "apps/dravel-render/folder/time_limit.h"

#include <unistd.h>

#include <algorithm>
#include <cassert>

namespace dravel {
namespace {

constexpr int kSignal = SIGALRM;

// What the signal reads. Changed only by the owning thread with the signal
// blocked there, and the timer signals that thread alone, so the handler
// never sees it half written.
struct Armed {
  bool armed = false;
  TimeLimit::Clock::time_point deadline;
  std::string message;
  int status = 0;
};
Armed armed;
bool exists = false;

void OnDeadline(int) {
  // A signal sent by someone else, or one that was pending when its arming
  // was replaced, finds the deadline not yet come.
  if (!armed.armed || TimeLimit::Clock::now() < armed.deadline) return;
  // Whatever the thread is doing, it cannot be asked to stop.
  [[maybe_unused]] const ssize_t written = write(2, armed.message.data(), armed.message.size());
  _exit(armed.status);
}

// The signal blocked in this thread for the scope's life.
class Blocked {
 public:
  Blocked() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, kSignal);
    pthread_sigmask(SIG_BLOCK, &set, &before_);
  }
  ~Blocked() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  Blocked(const Blocked&) = delete;
  Blocked& operator=(const Blocked&) = delete;

 private:
  sigset_t before_;
};

}  // namespace

TimeLimit::TimeLimit() : owner_(gettid()) {
  assert(!exists && "one time limit at a time");
  exists = true;
  struct sigaction action {};
  action.sa_handler = OnDeadline;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(kSignal, &action, &before_);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = kSignal;
  event._sigev_un._tid = owner_;  // sigev_notify_thread_id, which glibc 2.36 does not name
  [[maybe_unused]] const int made = timer_create(CLOCK_MONOTONIC, &event, &timer_);
  assert(made == 0);
}

TimeLimit::~TimeLimit() {
  {
    Blocked blocked;
    timer_delete(timer_);
    armed = {};
  }
  // Any signal still pending has been delivered, to the handler, by now.
  sigaction(kSignal, &before_, nullptr);
  exists = false;
}

void TimeLimit::Arm(Clock::time_point deadline, std::string message, int status) {
  assert(gettid() == owner_);
  Blocked blocked;
  armed = {true, deadline, std::move(message) + "\n", status};
  SetTimer(deadline);
}

void TimeLimit::Disarm() {
  assert(gettid() == owner_);
  Blocked blocked;
  armed.armed = false;
  const itimerspec never{};
  timer_settime(timer_, 0, &never, nullptr);
}

// The deadline on the steady clock's own clock, at least its first tick: a
// zero time would disarm the timer.
void TimeLimit::SetTimer(Clock::time_point deadline) {
  static_assert(Clock::is_steady);
  const auto since = std::max(deadline.time_since_epoch(), Clock::duration(1));
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
  itimerspec when{};
  when.it_value.tv_sec = seconds.count();
  when.it_value.tv_nsec = std::chrono::nanoseconds(since - seconds).count();
  timer_settime(timer_, TIMER_ABSTIME, &when, nullptr);
}

std::chrono::milliseconds Left(TimeLimit::Clock::time_point started,
                               std::chrono::milliseconds limit) {
  const auto spent =
      std::chrono::duration_cast<std::chrono::milliseconds>(TimeLimit::Clock::now() - started);
  return std::max(limit - spent, std::chrono::milliseconds(0));
}

}  // namespace dravel
