#include "apps/dravel-hub/server/connection_limits.h"

#include <cassert>

namespace dravel::hub {

ConnectionLimits::ConnectionLimits(size_t per_address, size_t total)
    : per_address_(per_address), total_(total) {
  assert(per_address > 0 && total > 0);
}

std::unique_ptr<ConnectionLimits::Ticket> ConnectionLimits::Take(const std::string& address,
                                                                 bool per_address) {
  std::lock_guard lock(mutex_);
  size_t& from_address = by_address_[address];
  if (open_ >= total_ || (per_address && from_address >= per_address_)) {
    if (from_address == 0) by_address_.erase(address);
    return nullptr;
  }
  ++from_address;
  ++open_;
  return std::make_unique<Ticket>(*this, address);
}

size_t ConnectionLimits::Open() const {
  std::lock_guard lock(mutex_);
  return open_;
}

void ConnectionLimits::Give(const std::string& address) {
  std::lock_guard lock(mutex_);
  auto found = by_address_.find(address);
  assert(found != by_address_.end() && found->second > 0 && open_ > 0);
  if (--found->second == 0) by_address_.erase(found);
  --open_;
}

}  // namespace dravel::hub
