// dravel-hub as a process under the worst a classroom does to it: killed in
// the middle of a burst of hand-ins and started again on the same data (every
// acknowledged hand-in is kept and graded, the database whole), and a
// hand-in that never ends (stopped at the grader's time limit while the hub
// goes on serving). The real grader runs every script. With
// DRAVEL_HUB_TEST_DATABASE set the hub keeps its data on the test server,
// where the killed hub's gradings come back when their leases lapse.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "apps/dravel-hub/hub.h"
#include "hub_classroom.h"
#include "hub_process.h"
#include "hub_test_fixture.h"
#include "support/render_process.h"

namespace dravel::hub {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr int kPupils = 20;
constexpr int kHandinsEach = 2;
constexpr size_t kKillAfter = 12;  // acknowledged hand-ins before the kill
// A bound on waits that a working hub meets in seconds; it keeps a broken
// build from hanging the suite.
constexpr int kGradingBound = 120;

// The hand-ins acknowledged (201) by the hub while `serve` is killed
// partway through a burst on several threads.
std::vector<int64_t> HandInUntilKilled(const Classroom& room, ServeProcess& serve) {
  std::mutex mutex;
  std::condition_variable enough;
  std::vector<int64_t> acknowledged;
  const std::string target = "/api/assignments/" + std::to_string(room.assignment) + "/handins";
  auto hand_in = [&](size_t first, size_t step) {
    for (int round = 0; round < kHandinsEach; ++round) {
      for (size_t i = first; i < room.pupils.size(); i += step) {
        const HttpAnswer answer = CallLocal(room.port, "POST", target,
                                            R"({"script":"前进 100\n右转 90"})", room.pupils[i]);
        if (answer.status == 0) return;  // killed
        if (answer.status != 201) continue;
        std::lock_guard lock(mutex);
        acknowledged.push_back(JsonOf(answer).value("handin_id", int64_t{0}));
        enough.notify_all();
      }
    }
  };
  std::vector<std::thread> senders;
  for (size_t t = 0; t < 4; ++t) senders.emplace_back(hand_in, t, 4);
  {
    std::unique_lock lock(mutex);
    enough.wait_for(lock, std::chrono::seconds(kGradingBound),
                    [&] { return acknowledged.size() >= kKillAfter; });
  }
  serve.Stop(SIGKILL);
  for (std::thread& sender : senders) sender.join();
  return acknowledged;
}

// `PRAGMA integrity_check` of the hub's database, and its hand-ins not yet
// graded or failed.
std::pair<std::string, int> DatabaseCheck(const fs::path& data) {
  sqlite3* db = nullptr;
  std::pair<std::string, int> check{"cannot open", -1};
  if (sqlite3_open_v2(HubDatabasePath(data).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW)
      check.first = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM handins WHERE state IN ('queued', 'grading')", -1,
                       &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW) check.second = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return check;
}

class HubKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = location_.Folder() / "data";
    const std::string where = location_.OnServer() ? "--database '" + location_.Location() + "'"
                                                   : "--data " + data_.string();
    ASSERT_EQ(RunCommand("printf '" + std::string(kTestPassword) + "\\n' | " DRAVEL_HUB " init " +
                         where + " >/dev/null 2>&1")
                  .status,
              0);
  }
  // `serve`'s options beside the data folder, where the graders work.
  std::vector<std::string> Serving(std::vector<std::string> options) const {
    if (location_.OnServer()) options.insert(options.end(), {"--database", location_.Location()});
    return options;
  }

  testing::TestLocation location_;
  fs::path data_;
};

TEST_F(HubKillTest, EveryAcknowledgedHandinSurvivesAKillAndIsGraded) {
  std::vector<int64_t> acknowledged;
  {
    ServeProcess serve(data_, Serving({"--jobs", "2"}));
    const int port = ListeningPort(serve);
    ASSERT_GT(port, 0);
    Classroom room;
    MakeClassroom(port, kPupils, room);
    ASSERT_EQ(room.pupils.size(), size_t(kPupils));
    acknowledged = HandInUntilKilled(room, serve);
  }
  ASSERT_GE(acknowledged.size(), kKillAfter);
  EXPECT_LT(acknowledged.size(), size_t(kPupils * kHandinsEach)) << "killed after the burst";
  ServeProcess again(data_, Serving({"--jobs", "2"}));
  const int port = ListeningPort(again);
  ASSERT_GT(port, 0);
  const std::map<int64_t, Json> states =
      SettledHandins(port, TeacherLogin(port), acknowledged, kGradingBound);
  for (int64_t id : acknowledged) {
    SCOPED_TRACE(id);
    EXPECT_EQ(states.at(id).value("state", "missing"), "graded") << states.at(id).dump();
  }
  EXPECT_EQ(again.Stop(SIGTERM), 0);
  if (!location_.OnServer()) {
    EXPECT_EQ(DatabaseCheck(data_), std::make_pair(std::string("ok"), 0));
  }
  // What the killed hub's graders left was swept at the restart.
  EXPECT_TRUE(fs::is_empty(data_ / "grading"));
}

TEST_F(HubKillTest, AHandinThatNeverEndsFailsAtTheTimeLimitAndTheHubServesOn) {
  ServeProcess serve(data_, Serving({"--jobs", "1", "--timeout", "1"}));
  const int port = ListeningPort(serve);
  ASSERT_GT(port, 0);
  Classroom room;
  MakeClassroom(port, 1, room);
  const HttpAnswer handed =
      CallLocal(port, "POST", "/api/assignments/" + std::to_string(room.assignment) + "/handins",
                R"({"script":"重复 999999999 【前进 1|右转 1】"})", room.pupils.at(0));
  ASSERT_EQ(handed.status, 201) << handed.body;
  const int64_t id = JsonOf(handed).value("handin_id", int64_t{0});
  const Json state = SettledHandins(port, room.teacher, {id}, kGradingBound).at(id);
  EXPECT_EQ(state.value("state", ""), "failed");
  EXPECT_NE(state.value("last_message", "").find("超时：运行超过 1 秒"), std::string::npos)
      << state.dump();
  EXPECT_EQ(CallLocal(port, "GET", "/api/hub").status, 200);
  EXPECT_EQ(serve.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace dravel::hub
