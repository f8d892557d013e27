#include "runtime/stop_wait.h"

namespace dravel {

void SleepUnlessStopped(std::chrono::milliseconds duration, const std::stop_token& stop) {
  if (duration.count() <= 0) return;
  std::mutex mutex;
  std::condition_variable wake;
  std::stop_callback on_stop(stop, [&] {
    std::lock_guard guard(mutex);
    wake.notify_all();
  });
  std::unique_lock lock(mutex);
  wake.wait_for(lock, duration, [&] { return stop.stop_requested(); });
  // The lock goes before the callback is removed: a callback running on the
  // stopping thread may be waiting for it.
}

}  // namespace dravel
