#include "apps/dravel-hub/store/pg_pool.h"

#include <cassert>

namespace dravel::hub {

PgPool::PgPool(std::string url, size_t size) : url_(std::move(url)), size_(size) {
  assert(size_ >= 1);
}

std::unique_ptr<pqxx::connection> PgPool::Take() {
  {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [this] { return lent_ < size_; });
    ++lent_;
    if (!idle_.empty()) {
      std::unique_ptr<pqxx::connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return connection;
    }
  }
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
