#include "apps/dravel-hub/store/pg_pool.h"

#include <cassert>

namespace dravel::hub {

PgPool::PgPool(std::string url, size_t size) : url_(std::move(url)), size_(size) {
  assert(size_ >= 1);
}

std::unique_ptr<pqxx::connection> PgPool::Take() {
  std::unique_lock lock(mutex_);
  returned_.wait(lock, [this] { return lent_ < size_; });
  ++lent_;
  while (!idle_.empty()) {
    std::unique_ptr<pqxx::connection> connection = std::move(idle_.back());
    idle_.pop_back();
    if (StillOpen(*connection)) return connection;
  }
  lock.unlock();
  // Connecting takes a while; others may use the pool meanwhile.
  try {
    auto connection = std::make_unique<pqxx::connection>(url_);
    // Texts cross as UTF-8 whatever the database's own encoding.
    connection->set_client_encoding("UTF8");
    return connection;
  } catch (const std::exception& error) {
    Give(nullptr);
    throw StoreError(Why(error));
  }
}

bool PgPool::StillOpen(pqxx::connection& connection) noexcept {
  // Reads what the server sent while the connection lay idle, without
  // waiting: a server that restarted has closed it, and a request should
  // not fail for that when a new connection would do.
  try {
    // A restarted server's farewell comes first, its end of the stream in
    // a second read.
    for (int read = 0; read < 2; ++read) connection.get_notifs();
    return connection.is_open();
  } catch (const std::exception&) {
    return false;
  }
}

void PgPool::Give(std::unique_ptr<pqxx::connection> connection) noexcept {
  {
    std::lock_guard lock(mutex_);
    --lent_;
    if (connection && connection->is_open()) idle_.push_back(std::move(connection));
  }
  returned_.notify_one();
}

std::string PgPool::Why(const std::exception& error) {
  // libpq's messages end with a newline and may run over several lines.
  std::string why = error.what();
  while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
  return why;
}

}  // namespace dravel::hub
