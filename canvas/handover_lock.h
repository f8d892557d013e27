// HandoverLock: the canvas's one lock. Threads get it in the order they asked
// for it, and a holder in a long operation (a huge circle, a wrap chain) lets
// every thread waiting at that moment go first at its checkpoints (Yield), so
// a paint or a stop never waits for the operation to finish. Meets the
// BasicLockable requirements, for std::unique_lock and std::lock_guard.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace dravel {

class HandoverLock {
 public:
  void lock();
  void unlock();
  // For the holder: when other threads wait, lets them have the lock first,
  // then takes it back; otherwise returns at once.
  void Yield();

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  uint64_t next_ticket_ = 0;  // both under mutex_
  uint64_t serving_ = 0;
};

}  // namespace dravel
