#include "apps/dravel-hub/security/login_throttle.h"

#include <algorithm>
#include <iterator>

namespace dravel::hub {

bool LoginThrottle::TakeTry(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  ForgetOld(now);
  std::deque<Clock::time_point>& times = failures_[address];
  if (times.size() >= kTries) return false;
  times.push_back(now);
  return true;
}

void LoginThrottle::GiveBack(const std::string& address, Clock::time_point taken) {
  std::lock_guard lock(mutex_);
  const auto found = failures_.find(address);
  if (found == failures_.end()) return;
  std::deque<Clock::time_point>& times = found->second;
  const auto at = std::find(times.begin(), times.end(), taken);
  if (at != times.end()) times.erase(at);
  if (times.empty()) failures_.erase(found);
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
