// A few connections to one PostgreSQL database, each used by one thread at
// a time: Use lends one (making it when none is idle and the pool is not
// full, else waiting for one), runs the work on it and takes it back. A
// connection that broke, in use or while idle, is dropped and a new one is
// made at the next use, so the hub outlives a database restart. Every
// failure of the database leaves as StoreError.
#pragma once

#include <pqxx/pqxx>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

class PgPool {
 public:
  // Connects lazily to `url` (libpq's URL or key=value form), at most
  // `size` connections at once.
  PgPool(std::string url, size_t size);

  // Runs `work(pqxx::connection&)` and returns what it returns.
  template <typename Work>
  auto Use(Work&& work) {
    Lent lent(*this);
    try {
      return work(lent.Connection());
    } catch (const StoreError&) {
      throw;
    } catch (const pqxx::broken_connection& error) {
      lent.Drop();
      throw StoreError(Why(error));
    } catch (const pqxx::in_doubt_error& error) {
      lent.Drop();
      throw StoreError(Why(error));
    } catch (const std::exception& error) {
      if (!lent.Connection().is_open()) lent.Drop();
      throw StoreError(Why(error));
    }
  }

 private:
  // One connection taken from the pool for one use, returned at its end.
  class Lent {
   public:
    explicit Lent(PgPool& pool) : pool_(pool), connection_(pool.Take()) {}
    ~Lent() { pool_.Give(std::move(connection_)); }
    Lent(const Lent&) = delete;
    Lent& operator=(const Lent&) = delete;
    pqxx::connection& Connection() { return *connection_; }
    void Drop() { connection_.reset(); }

   private:
    PgPool& pool_;
    std::unique_ptr<pqxx::connection> connection_;
  };

  // Under mutex_, briefly: never waits on the network.
  static bool StillOpen(pqxx::connection& connection) noexcept;
  std::unique_ptr<pqxx::connection> Take();
  // Takes back a connection; null when it was dropped.
  void Give(std::unique_ptr<pqxx::connection> connection) noexcept;
  static std::string Why(const std::exception& error);

  const std::string url_;
  const size_t size_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<pqxx::connection>> idle_;  // under mutex_
  size_t lent_ = 0;                                      // under mutex_
};

}  // namespace dravel::hub
