#include "apps/dravel-hub/security/login_throttle.h"

#include <iterator>

namespace dravel::hub {

bool LoginThrottle::MayTry(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  ForgetOld(now);
  const auto found = failures_.find(address);
  return found == failures_.end() || found->second.size() < kTries;
}

void LoginThrottle::Failed(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  std::deque<Clock::time_point>& times = failures_[address];
  times.push_back(now);
  if (times.size() > kTries) times.pop_front();
}

void LoginThrottle::ForgetOld(Clock::time_point now) {
  // Every address is swept, so addresses that tried once and left do not
  // pile up.
  for (auto it = failures_.begin(); it != failures_.end();) {
    std::deque<Clock::time_point>& times = it->second;
    while (!times.empty() && now - times.front() >= kWindow) times.pop_front();
    it = times.empty() ? failures_.erase(it) : std::next(it);
  }
}

}  // namespace dravel::hub
