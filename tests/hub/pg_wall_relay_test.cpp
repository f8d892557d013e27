// The wall across processes: the payload's form without a database, then
// two relays on one PostgreSQL database (DRAVEL_HUB_TEST_DATABASE, a URL;
// skipped when unset) passing messages between them, before and after the
// connection is lost. With DRAVEL_HUB_TEST_CLUSTER (a scripts/pg-cluster
// folder) the loss is a restart of the cluster, else the server ending the
// relays' sessions.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <pqxx/pqxx>
#include <string>
#include <vector>

#include "apps/dravel-hub/wall_relay/pg_wall_relay.h"
#include "apps/dravel-hub/wall_relay/wall_payload.h"

namespace dravel::hub {
namespace {

using namespace std::chrono_literals;

TEST(WallPayload, CarriesTheClassAndTheMessageUpToTheLimit) {
  const std::string message = R"({"name":"小明 ","score":90})";
  const auto payload = WallPayload(42, message);
  ASSERT_TRUE(payload);
  const auto notice = ReadWallPayload(*payload);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->class_id, 42);
  EXPECT_EQ(notice->message, message);
  // "7 " and the message: the longest payload allowed, then one byte more.
  EXPECT_TRUE(WallPayload(7, std::string(kLargestWallPayload - 2, 'x')));
  EXPECT_FALSE(WallPayload(7, std::string(kLargestWallPayload - 1, 'x')));
  const auto close = ReadWallPayload(WallClosePayload(42));
  ASSERT_TRUE(close);
  EXPECT_EQ(close->class_id, 42);
  EXPECT_FALSE(close->message) << "the id alone closes the class's walls";
  EXPECT_EQ(ReadWallPayload("42 ")->message, "") << "an empty message is still a message";
}

TEST(WallPayload, IgnoresWhatAHubDoesNotSend) {
  for (const char* payload :
       {"", "hello", " {}", "0 {}", "-3 {}", "3x {}", "99999999999999999999 {}"}) {
    SCOPED_TRACE(payload);
    EXPECT_FALSE(ReadWallPayload(payload));
  }
}

// The local wall of one process: keeps what reaches it.
class SeenWall : public WallFeed {
 public:
  void Publish(int64_t class_id, std::string message) override {
    {
      std::lock_guard lock(mutex_);
      seen_.push_back(std::to_string(class_id) + ":" + message);
    }
    arrived_.notify_all();
  }
  void CloseClass(int64_t class_id) override { Publish(class_id, "closed"); }
  bool AwaitSeen(const std::string& entry) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(
        lock, 10s, [&] { return std::find(seen_.begin(), seen_.end(), entry) != seen_.end(); });
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> seen_;
};

TEST(PgWallRelay, StopsAtOnceWhenTheDatabaseCannotBeReached) {
  SeenWall wall;
  // Nothing listens on port 1: each attempt fails at once and is retried.
  PgWallRelay relay("postgresql://dravel@127.0.0.1:1/dravel", wall, {.first_retry = 1h});
  std::string error;
  ASSERT_TRUE(relay.Start(error)) << error;
  relay.Publish(1, "{}");
  relay.Stop();  // would wait an hour for the retry if a stop did not end it
  EXPECT_FALSE(relay.AwaitConnections(1, 0ms));
}

class PgWallRelayTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* url = std::getenv("DRAVEL_HUB_TEST_DATABASE");
    if (url == nullptr || *url == '\0') GTEST_SKIP() << "DRAVEL_HUB_TEST_DATABASE is not set";
    url_ = url;
  }

  // Ends every connection the relays hold, as a database that goes away does.
  void LoseTheDatabase() {
    const char* cluster = std::getenv("DRAVEL_HUB_TEST_CLUSTER");
    if (cluster != nullptr && *cluster != '\0') {
      const std::string restart =
          std::string(DRAVEL_SOURCE_DIR) + "/scripts/pg-cluster restart '" + cluster + "'";
      ASSERT_EQ(std::system(restart.c_str()), 0);
      return;
    }
    pqxx::connection db(url_);
    pqxx::nontransaction(db).exec_params(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = $1",
        std::string(kRelayApplication));
  }

  std::string url_;
};

TEST_F(PgWallRelayTest, AMessagePublishedInOneProcessReachesEveryProcess) {
  SeenWall wall_a, wall_b;
  std::atomic<int> gaps = 0;
  const RelayTiming quick{.first_retry = 50ms, .last_retry = 500ms};
  PgWallRelay a(url_, wall_a, quick, [&gaps] { ++gaps; });
  PgWallRelay b(url_, wall_b, quick, [&gaps] { ++gaps; });
  std::string error;
  ASSERT_TRUE(a.Start(error) && b.Start(error)) << error;
  ASSERT_TRUE(a.AwaitConnections(1, 10s) && b.AwaitConnections(1, 10s));

  a.Publish(5, R"({"state":"graded"})");
  EXPECT_TRUE(wall_b.AwaitSeen(R"(5:{"state":"graded"})"));
  EXPECT_TRUE(wall_a.AwaitSeen(R"(5:{"state":"graded"})"));
  a.CloseClass(5);
  EXPECT_TRUE(wall_b.AwaitSeen("5:closed"));
  EXPECT_EQ(gaps, 0) << "the first connection is no gap";

  LoseTheDatabase();
  ASSERT_TRUE(a.AwaitConnections(2, 30s) && b.AwaitConnections(2, 30s));
  EXPECT_EQ(gaps, 2) << "each relay has its walls read their classes anew";
  b.Publish(6, R"({"state":"failed"})");
  EXPECT_TRUE(wall_a.AwaitSeen(R"(6:{"state":"failed"})"));

  a.Publish(7, R"({"state":"graded"})");  // the last grading before a stop
  a.Stop();
  EXPECT_TRUE(wall_b.AwaitSeen(R"(7:{"state":"graded"})"));
  b.Stop();
}

}  // namespace
}  // namespace dravel::hub
