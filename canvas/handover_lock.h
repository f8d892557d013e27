// HandoverLock: the canvas's one lock. Threads get it in the order they asked
// for it (a ticket lock), and a holder in a long operation (a huge circle, a
// wrap chain) lets every thread waiting at that moment go first at its
// checkpoints (Yield), so a paint or a stop never waits for the operation to
// finish. Taking and giving back a free lock is two atomic steps with no
// system call; waiters sleep on the atomic. Meets the BasicLockable
// requirements, for std::unique_lock and std::lock_guard.
#pragma once

#include <atomic>
#include <cstdint>

namespace dravel {

class HandoverLock {
 public:
  void lock() {
    // Sequentially consistent throughout: a waiter's ticket and the holder's
    // hand-over must never both miss each other.
    const uint32_t ticket = next_.fetch_add(1);
    for (uint32_t serving = serving_.load(); serving != ticket; serving = serving_.load()) {
      serving_.wait(serving);
    }
  }
  void unlock() {
    const uint32_t now = serving_.fetch_add(1) + 1;
    if (next_.load() != now) serving_.notify_all();
  }
  // For the holder: whether another thread waits for the lock.
  bool Waiting() const { return next_.load() != serving_.load() + 1; }
  // For the holder: when other threads wait, lets them have the lock first,
  // then takes it back; otherwise returns at once.
  void Yield() {
    if (!Waiting()) return;
    unlock();
    lock();
  }

 private:
  std::atomic<uint32_t> next_{0};
  std::atomic<uint32_t> serving_{0};
};

}  // namespace dravel
