#include "canvas/handover_lock.h"

namespace dravel {

void HandoverLock::lock() {
  std::unique_lock guard(mutex_);
  const uint64_t ticket = next_ticket_++;
  turn_.wait(guard, [&] { return serving_ == ticket; });
}

void HandoverLock::unlock() {
  {
    std::lock_guard guard(mutex_);
    ++serving_;
  }
  turn_.notify_all();
}

void HandoverLock::Yield() {
  {
    std::lock_guard guard(mutex_);
    if (next_ticket_ == serving_ + 1) return;  // nobody waits
  }
  unlock();
  lock();
}

}  // namespace dravel
