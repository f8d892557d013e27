// Waits that end early when a run's stop is requested, built on a plain mutex
// and condition variable woken by a stop callback, so they need nothing from
// the library beyond <stop_token> itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace dravel {

// With `lock` held: blocks until `ready()` holds or `stop` is requested.
// Whoever changes what `ready` reads notifies `wake` under the same mutex.
// The mutex is let go for a moment on the way in and out, since the stop's
// callback takes it: it runs at once when the stop is already requested, and
// its removal waits for a callback running on another thread.
template <typename Ready>
void WaitUnlessStopped(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                       const std::stop_token& stop, Ready ready) {
  std::mutex& mutex = *lock.mutex();
  lock.unlock();
  {
    std::stop_callback on_stop(stop, [&] {
      std::lock_guard guard(mutex);
      wake.notify_all();
    });
    lock.lock();
    wake.wait(lock, [&] { return stop.stop_requested() || ready(); });
    lock.unlock();
  }
  lock.lock();
}

// Sleeps for `duration` unless `stop` is requested first.
void SleepUnlessStopped(std::chrono::milliseconds duration, const std::stop_token& stop);

}  // namespace dravel
