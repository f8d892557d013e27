#include "apps/dravel-hub/security/login_throttle.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace dravel::hub {
namespace {

// Whom a count belongs to: an IPv4 address (also when it came mapped into
// IPv6), or an IPv6 address's /64, since any machine on a network that hands
// out IPv6 addresses may take as many of its /64 as it likes.
std::string Guesser(const std::string& address) {
  in6_addr v6{};
  if (inet_pton(AF_INET6, address.c_str(), &v6) != 1) return address;
  char text[INET6_ADDRSTRLEN] = {};
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);
    return text;
  }
  std::memset(&v6.s6_addr[8], 0, 8);
  inet_ntop(AF_INET6, &v6, text, sizeof text);
  return std::string(text) + "/64";
}

}  // namespace

bool LoginThrottle::TakeTry(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  ForgetOld(now);
  std::deque<Clock::time_point>& times = failures_[Guesser(address)];
  if (times.size() >= kTries) return false;
  times.push_back(now);
  return true;
}

void LoginThrottle::GiveBack(const std::string& address, Clock::time_point taken) {
  std::lock_guard lock(mutex_);
  const auto found = failures_.find(Guesser(address));
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
