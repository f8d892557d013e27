#include "apps/dravel-hub/security/login_throttle.h"

#include <arpa/inet.h>

#include <cstring>

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

std::optional<int64_t> LoginThrottle::TakeTry(const std::string& address, int64_t now_ms) {
  return store_.TakeLoginTry(door_ + " " + Guesser(address), now_ms, kTries, kWindow.count());
}

void LoginThrottle::GiveBack(int64_t try_id) { store_.GiveBackLoginTry(try_id); }

}  // namespace dravel::hub
