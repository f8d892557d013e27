// The wall across hub processes that share one PostgreSQL database. Publish
// queues the message and returns at once (a grading worker never waits on
// the network); the relay's one thread, on a connection of its own, sends
// each queued message with NOTIFY on one channel and LISTENs there, handing
// every notification (this process's own too, so every message takes one
// path) to the local wall. A lost connection is made again after a bounded
// back-off; what is published meanwhile waits in a bounded queue, while
// notifications sent by others during the gap are lost, so once listening
// again the relay calls `after_gap`, which closes the local walls: their
// pages reconnect and read their classes anew. Plain C++ over libpqxx.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "apps/dravel-hub/hub_exchange.h"

namespace pqxx {
class connection_base;
}

namespace dravel::hub {

struct RelayTiming {
  std::chrono::milliseconds first_retry{100};  // doubled after each failure
  std::chrono::milliseconds last_retry{5000};  // up to this
  // Idle this long, the connection is tried with a query, so a peer that
  // vanished without closing is noticed.
  std::chrono::milliseconds probe{10000};
  int connect_seconds = 5;  // the longest one connection attempt may take
};

// The relay's connections go by this name in pg_stat_activity.
inline constexpr std::string_view kRelayApplication = "dravel-hub-wall";

// Messages waiting to be sent while the database is away; more are dropped.
inline constexpr size_t kMostRelayQueued = 4096;

class PgWallRelay final : public WallFeed {
 public:
  // `database_url` is a postgresql:// (or postgres://) URI, as the command
  // line takes it; `local` is this process's wall and must outlive the relay;
  // `after_gap` (may be empty) runs on the relay's thread each time it
  // listens again after a lost connection.
  PgWallRelay(std::string database_url, WallFeed& local, RelayTiming timing = {},
              std::function<void()> after_gap = {});
  ~PgWallRelay() override;
  PgWallRelay(const PgWallRelay&) = delete;
  PgWallRelay& operator=(const PgWallRelay&) = delete;

  // Starts the thread; false with `error` (English) set when it cannot.
  bool Start(std::string& error);
  // Ends the thread within about one connection attempt, sending first what
  // is queued if the relay is connected; otherwise that is dropped.
  // Idempotent.
  void Stop();

  // Queues `message` for every process's wall of `class_id`. A message too
  // large for a notification, or one beyond a full queue, is dropped and
  // said on standard error.
  void Publish(int64_t class_id, std::string message) override;
  // Closes every process's walls of `class_id`, queued as a message is.
  void CloseClass(int64_t class_id) override;

  // Waits until the relay has listened on `count` connections since it
  // started (the first, then each one made again); false if not within `time`.
  bool AwaitConnections(uint64_t count, std::chrono::milliseconds time);

 private:
  class Receiver;

  void Run(std::stop_token stop);
  // Listens and sends on `db` until `stop`; throws when the connection is
  // lost.
  void Serve(pqxx::connection_base& db, const std::stop_token& stop);
  void SendQueued(pqxx::connection_base& db, const std::stop_token& stop);
  // Waits for `socket` (-1: none) to be readable, a wake, or `time`; false
  // when the time ran out.
  bool Wait(int socket, std::chrono::milliseconds time);
  void Wake();
  void Queue(std::string payload);
  void Deliver(std::string_view payload);
  // The relay listens on its `connections`th connection.
  void Listening(uint64_t connections);

  const std::string url_;
  WallFeed& local_;
  const RelayTiming timing_;
  const std::function<void()> after_gap_;
  const int wake_fd_;  // an eventfd; -1 when none could be made
  std::mutex mutex_;
  std::condition_variable connected_;
  std::deque<std::string> queue_;  // payloads, under mutex_
  bool overflowing_ = false;       // under mutex_: said once per overflow
  uint64_t connections_ = 0;       // under mutex_
  std::jthread thread_;
};

}  // namespace dravel::hub
