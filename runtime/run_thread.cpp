#include "runtime/run_thread.h"

#include <exception>
#include <system_error>

#include "runtime/runtime_error.h"

namespace dravel {

RunThread::RunThread(Routine routine)
    : thread_([this, routine = std::move(routine)] { Main(routine); }) {}

RunThread::~RunThread() {
  End({});
  if (thread_.joinable()) thread_.join();
}

void RunThread::Main(const Routine& routine) {
  try {
    routine(session_);
  } catch (const std::exception& failure) {
    // The runtime failed under the run; no exception leaves the thread.
    ReportRuntimeError(0, failure.what());
  } catch (...) {
    ReportRuntimeError(0);
  }
  int running = kRunning;
  state_.compare_exchange_strong(running, kFinished);
  std::lock_guard lock(mutex_);
  returned_ = true;
  returned_changed_.notify_all();
}

bool RunThread::End(const StopGuard& guard) {
  bool ended = false;
  const auto request = [this, &ended] {
    int running = kRunning;
    if (!state_.compare_exchange_strong(running, kEnded)) return;
    session_.Stop();
    ended = true;
  };
  if (guard) {
    guard(request);
  } else {
    request();
  }
  return ended;
}

bool RunThread::Wait(std::optional<std::chrono::milliseconds> timeout) {
  std::unique_lock lock(mutex_);
  if (!timeout) {
    returned_changed_.wait(lock, [this] { return returned_; });
    return true;
  }
  return returned_changed_.wait_for(lock, *timeout, [this] { return returned_; });
}

ThreadReference StartThread(RunThread::Routine routine) {
  try {
    return std::make_unique<RunThread>(std::move(routine));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

bool EndThread(const ThreadReference& thread, const StopGuard& guard) {
  return thread != nullptr && thread->End(guard);
}

bool WaitForThread(const ThreadReference& thread,
                   std::optional<std::chrono::milliseconds> timeout) {
  return thread == nullptr || thread->Wait(timeout);
}

}  // namespace dravel
