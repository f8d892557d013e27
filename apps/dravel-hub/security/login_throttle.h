// Slows guessing at a login door: an address (for IPv6, its /64) with 10
// wrong tries in the last minute is turned away until the oldest of them is
// a minute old.
// The tries are counted in the store, so every hub process sharing a
// database counts them together. Safe from any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

class LoginThrottle {
 public:
  static constexpr int kTries = 10;
  static constexpr std::chrono::milliseconds kWindow = std::chrono::minutes(1);

  // `door` keeps this door's counts apart from another's.
  LoginThrottle(HubStore& store, std::string_view door) : store_(store), door_(door) {}

  // Counts a try from `address` at `now_ms` (Unix milliseconds) as wrong
  // until given back, so tries checked at once on several threads all
  // count: the try, or nullopt (nothing counted) when the address has used
  // up its tries.
  std::optional<int64_t> TakeTry(const std::string& address, int64_t now_ms);
  // The try was right after all: it no longer counts.
  void GiveBack(int64_t try_id);

 private:
  HubStore& store_;
  std::string door_;
};

}  // namespace dravel::hub
