// Slows guessing at the login doors: an address (for IPv6, its /64) with 10
// wrong tries in the last minute is turned away until the oldest of them is
// a minute old.
// Kept in memory only; a restart forgets it. Safe from any thread.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace dravel::hub {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kTries = 10;
  static constexpr Clock::duration kWindow = std::chrono::minutes(1);

  // Counts a try from `address` at `now` as wrong until told otherwise, so
  // tries checked at once on several threads all count; false (nothing
  // counted) when the address has used up its tries.
  bool TakeTry(const std::string& address, Clock::time_point now);
  // The try taken at `taken` was right after all: it no longer counts.
  void GiveBack(const std::string& address, Clock::time_point taken);

 private:
  // Forgets failures older than the window; callers hold mutex_.
  void ForgetOld(Clock::time_point now);

  std::mutex mutex_;
  std::unordered_map<std::string, std::deque<Clock::time_point>> failures_;
};

}  // namespace dravel::hub
