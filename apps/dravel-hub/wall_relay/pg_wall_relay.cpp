#include "apps/dravel-hub/wall_relay/pg_wall_relay.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <pqxx/pqxx>

#include "apps/dravel-hub/wall_relay/wall_payload.h"

namespace dravel::hub {
namespace {

void Log(std::string_view what, std::string_view detail) {
  // libpq's messages end in a line break, some in two lines: one line each.
  std::string line = "dravel-hub: wall relay: " + std::string(what);
  if (!detail.empty()) line += ": " + std::string(detail);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "%s\n", line.c_str());
}

// The relay's connection settings added to the URI `url`. The name shows the
// connection in pg_stat_activity; over TCP, a server that vanished without
// closing fails a query within about 15 s instead of holding the thread.
std::string WithRelaySettings(const std::string& url, int connect_seconds) {
  assert(url.starts_with("postgresql://") || url.starts_with("postgres://"));
  const std::string settings[] = {
      "connect_timeout=" + std::to_string(connect_seconds),
      "application_name=" + std::string(kRelayApplication),
      "keepalives_idle=10",
      "keepalives_interval=5",
      "keepalives_count=3",
      "tcp_user_timeout=15000",
  };
  std::string with = url;
  char separator = url.find('?') == std::string::npos ? '?' : '&';
  for (const std::string& setting : settings) {
    with += separator + setting;
    separator = '&';
  }
  return with;
}

}  // namespace

class PgWallRelay::Receiver final : public pqxx::notification_receiver {
 public:
  Receiver(pqxx::connection_base& db, PgWallRelay& relay)
      : pqxx::notification_receiver(db, std::string(kWallChannel)), relay_(relay) {}
  void operator()(const std::string& payload, int) override { relay_.Deliver(payload); }

 private:
  PgWallRelay& relay_;
};

PgWallRelay::PgWallRelay(std::string database_url, WallFeed& local, RelayTiming timing,
                         std::function<void()> after_gap)
    : url_(WithRelaySettings(database_url, timing.connect_seconds)),
      local_(local),
      timing_(timing),
      after_gap_(std::move(after_gap)),
      wake_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PgWallRelay::~PgWallRelay() {
  Stop();
  if (wake_fd_ >= 0) ::close(wake_fd_);
}

bool PgWallRelay::Start(std::string& error) {
  assert(!thread_.joinable());
  if (wake_fd_ < 0) {
    error = "no descriptor left to wake the relay with";
    return false;
  }
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  return true;
}

void PgWallRelay::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  Wake();
  thread_.join();
}

void PgWallRelay::Publish(int64_t class_id, std::string message) {
  std::optional<std::string> payload = WallPayload(class_id, message);
  if (!payload) return Log("message too large for a notification, not sent", "");
  Queue(std::move(*payload));
}

void PgWallRelay::CloseClass(int64_t class_id) { Queue(WallClosePayload(class_id)); }

void PgWallRelay::Queue(std::string payload) {
  {
    std::lock_guard lock(mutex_);
    if (queue_.size() >= kMostRelayQueued) {
      if (!std::exchange(overflowing_, true)) Log("queue full, messages dropped", "");
      return;
    }
    overflowing_ = false;
    queue_.push_back(std::move(payload));
  }
  Wake();
}

bool PgWallRelay::AwaitConnections(uint64_t count, std::chrono::milliseconds time) {
  std::unique_lock lock(mutex_);
  return connected_.wait_for(lock, time, [&] { return connections_ >= count; });
}

void PgWallRelay::Run(std::stop_token stop) {
  std::chrono::milliseconds retry = timing_.first_retry;
  uint64_t listened = 0;
  while (!stop.stop_requested()) {
    try {
      pqxx::connection db(url_);
      Receiver receiver(db, *this);
      if (listened++ > 0 && after_gap_) after_gap_();
      Listening(listened);
      retry = timing_.first_retry;
      Serve(db, stop);
      return;
    } catch (const std::exception& failure) {
      Log("connection lost or refused", failure.what());
    }
    // Only a stop ends the wait early; anything queued waits for the connection.
    const auto until = std::chrono::steady_clock::now() + retry;
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < until) {
      Wait(-1, std::chrono::duration_cast<std::chrono::milliseconds>(
                   until - std::chrono::steady_clock::now()));
    }
    retry = std::min(retry * 2, timing_.last_retry);
  }
}

void PgWallRelay::Serve(pqxx::connection_base& db, const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    SendQueued(db, stop);
    db.get_notifs();
    if (!Wait(db.sock(), timing_.probe)) pqxx::nontransaction(db).exec("SELECT 1");
  }
  // What the last gradings before the stop published still reaches the
  // other processes' walls.
  SendQueued(db, std::stop_token());
}

void PgWallRelay::SendQueued(pqxx::connection_base& db, const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    std::string payload;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      payload = queue_.front();
    }
    try {
      pqxx::nontransaction(db).exec_params("SELECT pg_notify($1, $2)", std::string(kWallChannel),
                                           payload);
    } catch (const pqxx::sql_error& refused) {
      // The database refused this one message (its encoding, say): drop it
      // rather than try it forever. A lost connection is not an sql_error.
      Log("message refused", refused.what());
    }
    // Only this thread takes from the queue: the front is still `payload`.
    std::lock_guard lock(mutex_);
    queue_.pop_front();
  }
}

bool PgWallRelay::Wait(int socket, std::chrono::milliseconds time) {
  pollfd waits[2] = {{wake_fd_, POLLIN, 0}, {socket, POLLIN, 0}};
  const int ready = ::poll(waits, socket >= 0 ? 2 : 1, static_cast<int>(time.count()));
  if (waits[0].revents & POLLIN) {
    uint64_t wakes;
    [[maybe_unused]] const ssize_t read = ::read(wake_fd_, &wakes, sizeof wakes);
  }
  return ready != 0;
}

void PgWallRelay::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_fd_, &one, sizeof one);
}

void PgWallRelay::Deliver(std::string_view payload) {
  std::optional<WallNotice> notice = ReadWallPayload(payload);
  if (!notice) return Log("a notification not made by a hub, ignored", "");
  if (!notice->message) return local_.CloseClass(notice->class_id);
  local_.Publish(notice->class_id, std::move(*notice->message));
}

void PgWallRelay::Listening(uint64_t connections) {
  {
    std::lock_guard lock(mutex_);
    connections_ = connections;
  }
  connected_.notify_all();
  Log(connections == 1 ? "listening" : "listening again", "");
}

}  // namespace dravel::hub
