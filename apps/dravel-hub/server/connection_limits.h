// How many connections the server holds at once: a cap per remote address,
// so one pupil's machine cannot take every slot, and a cap over all. A
// Ticket holds one slot and gives it back when it goes. Thread-safe; knows
// nothing of sockets.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace dravel::hub {

class ConnectionLimits {
 public:
  class Ticket;

  ConnectionLimits(size_t per_address, size_t total);
  ConnectionLimits(const ConnectionLimits&) = delete;
  ConnectionLimits& operator=(const ConnectionLimits&) = delete;

  // A slot for a connection from `address`; null when either cap is reached
  // (the cap per address only when `per_address`). The limits must outlive
  // every ticket.
  std::unique_ptr<Ticket> Take(const std::string& address, bool per_address = true);

  size_t Open() const;

 private:
  void Give(const std::string& address);

  const size_t per_address_;
  const size_t total_;
  mutable std::mutex mutex_;
  std::map<std::string, size_t> by_address_;
  size_t open_ = 0;
};

class ConnectionLimits::Ticket {
 public:
  Ticket(ConnectionLimits& limits, std::string address)
      : limits_(limits), address_(std::move(address)) {}
  Ticket(const Ticket&) = delete;
  Ticket& operator=(const Ticket&) = delete;
  ~Ticket() { limits_.Give(address_); }

 private:
  ConnectionLimits& limits_;
  const std::string address_;
};

}  // namespace dravel::hub
