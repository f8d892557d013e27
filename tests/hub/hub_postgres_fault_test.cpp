// Two dravel-hub processes on one PostgreSQL database under the faults a
// district's server room sees: one process killed in the middle of a burst
// of hand-ins (the other grades what it held, each once, when its lease
// runs out), and the database restarted under a burst (the hubs answer 503
// meanwhile, never 201 for a hand-in they did not keep, and serve again by
// themselves). Each test makes a cluster of its own with scripts/pg-cluster;
// they run when DRAVEL_HUB_TEST_DATABASE is set, as scripts/test-hub-postgres
// sets it, and are skipped otherwise.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "hub_classroom.h"
#include "hub_process.h"
#include "support/render_process.h"

namespace dravel::hub {
namespace {

namespace beast = boost::beast;
namespace net = boost::asio;
namespace websocket = beast::websocket;
namespace fs = std::filesystem;
using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// A hand-in taken by a process that died is taken again within this.
constexpr int kLeaseSeconds = 60;
// Bounds that a working hub meets in seconds; they keep a broken build from
// hanging the suite.
constexpr int kSettleBound = kLeaseSeconds + 30;
constexpr auto kBurstBound = std::chrono::seconds(60);
// Long enough for a grading to be under way when the kill comes, short
// enough for a burst of them to be graded within the bound.
constexpr char kSlowScript[] = R"({"script":"重复 1000000 【前进 1|右转 1】"})";
constexpr char kQuickScript[] = R"({"script":"前进 100\n右转 90"})";

// A PostgreSQL 15 cluster of the test's own (scripts/pg-cluster), removed
// when destroyed; Url() is "" when it could not be made.
class OwnCluster {
 public:
  OwnCluster()
      : dir_(fs::temp_directory_path() / ("dravel-hub-fault-pg-" + std::to_string(::getpid()) +
                                          "-" + std::to_string(++made_))) {
    fs::remove_all(dir_);
    const Result started = RunCommand(Script("start") + " 2>/dev/null");
    if (started.status == 0) url_ = started.out.substr(0, started.out.find('\n'));
  }
  ~OwnCluster() { RunCommand(Script("stop") + " >/dev/null 2>&1"); }
  OwnCluster(const OwnCluster&) = delete;
  OwnCluster& operator=(const OwnCluster&) = delete;

  const std::string& Url() const { return url_; }
  bool Restart() const { return RunCommand(Script("restart") + " >/dev/null 2>&1").status == 0; }

 private:
  std::string Script(const std::string& action) const {
    return std::string(DRAVEL_SOURCE_DIR) + "/scripts/pg-cluster " + action + " " + dir_.string();
  }

  static inline int made_ = 0;
  fs::path dir_;
  std::string url_;
};

// One wall viewer, reading on its own thread from construction to Stop():
// how many times it heard each hand-in graded or failed, and in all.
class WallViewer {
 public:
  WallViewer(int port, int64_t class_id, const std::string& cookie) {
    stream_.next_layer().connect({net::ip::make_address("127.0.0.1"), static_cast<uint16_t>(port)});
    stream_.set_option(
        websocket::stream_base::decorator([cookie](websocket::request_type& request) {
          request.set(beast::http::field::cookie, cookie);
        }));
    beast::error_code error;
    stream_.handshake("127.0.0.1", "/api/classes/" + std::to_string(class_id) + "/wall", error);
    open_ = !error;
    if (open_) {
      ReadNext();
      reader_ = std::thread([this] { io_.run(); });
    }
  }
  ~WallViewer() { Stop(); }

  bool Open() const { return open_; }
  // Ends the reading; ends() may be read after.
  void Stop() {
    io_.stop();
    if (reader_.joinable()) reader_.join();
  }
  const std::map<int64_t, int>& Ends() const { return ends_; }
  int EndsSoFar() const { return ends_so_far_; }

 private:
  void ReadNext() {
    stream_.async_read(buffer_, [this](beast::error_code error, size_t) {
      if (error) return;
      const Json message = Json::parse(beast::buffers_to_string(buffer_.data()), nullptr, false);
      buffer_.consume(buffer_.size());
      const std::string state = message.value("state", "");
      if (state == "graded" || state == "failed") {
        ++ends_[message.value("handin_id", int64_t{0})];
        ++ends_so_far_;
      }
      ReadNext();
    });
  }

  net::io_context io_;
  websocket::stream<beast::tcp_stream> stream_{io_};
  beast::flat_buffer buffer_;
  std::map<int64_t, int> ends_;
  std::atomic<int> ends_so_far_ = 0;
  bool open_ = false;
  std::thread reader_;
};

// Whether `pid` has a child process at this moment (a hub grading has its grader).
bool HasChild(pid_t pid) {
  DIR* proc = opendir("/proc");
  bool found = false;
  for (dirent* entry; !found && proc != nullptr && (entry = readdir(proc)) != nullptr;) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(") ") == std::string::npos) continue;
    char state = 0;
    pid_t parent = 0;
    std::istringstream(line.substr(line.rfind(") ") + 2)) >> state >> parent;
    found = parent == pid;
  }
  if (proc != nullptr) closedir(proc);
  return found;
}

// What a burst of hand-ins got back: the ids acknowledged with 201 and how
// often each status came, each counted by the port asked and whether the
// request was sent after `Mark()`.
class BurstLog {
 public:
  void Add(int port, const HttpAnswer& answer, bool marked) {
    std::lock_guard lock(mutex_);
    ++statuses_[answer.status];
    if (answer.status == 201) {
      acknowledged_.push_back(JsonOf(answer).value("handin_id", int64_t{0}));
      if (marked) ++acknowledged_after_mark_[port];
    }
    changed_.notify_all();
  }
  // Waits within the burst's bound for `done`, asked under the lock at
  // each answer and every 10 ms.
  void WaitFor(const std::function<bool()>& done) {
    const auto give_up = Clock::now() + kBurstBound;
    std::unique_lock lock(mutex_);
    while (!done() && Clock::now() < give_up)
      changed_.wait_for(lock, std::chrono::milliseconds(10));
  }
  std::vector<int64_t> Acknowledged() {
    std::lock_guard lock(mutex_);
    return acknowledged_;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int64_t> acknowledged_;
  std::map<int, int> statuses_;
  std::map<int, int> acknowledged_after_mark_;
};

// Pupils hand in `script` on four threads, again and again, the pupils and
// their rounds spread over the ports, until `stop` is set. A pupil whose
// last hand-in is still being graded is refused (429).
void Burst(const Classroom& room, const std::vector<int>& ports, const char* script,
           const std::atomic<bool>& stop, const std::atomic<bool>& mark, BurstLog& log) {
  const std::string target = "/api/assignments/" + std::to_string(room.assignment) + "/handins";
  auto hand_in = [&](size_t first) {
    for (size_t round = 0; !stop; ++round) {
      for (size_t i = first; i < room.pupils.size() && !stop; i += 4) {
        const int port = ports[(i + round) % ports.size()];
        const bool marked = mark;
        const HttpAnswer answer = CallLocal(port, "POST", target, script, room.pupils[i]);
        log.Add(port, answer, marked);
        // Refused or out of service: a pause, as a page would wait.
        if (answer.status != 201) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  };
  std::vector<std::jthread> senders;
  for (size_t t = 0; t < 4; ++t) senders.emplace_back(hand_in, t);
}

class HubPostgresFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DRAVEL_HUB_TEST_DATABASE") == nullptr)
      GTEST_SKIP() << "DRAVEL_HUB_TEST_DATABASE is not set (scripts/test-hub-postgres sets it)";
    cluster_ = std::make_unique<OwnCluster>();
    ASSERT_FALSE(cluster_->Url().empty()) << "scripts/pg-cluster start failed";
    ASSERT_EQ(RunCommand("printf '" + std::string(kTestPassword) +
                         "\\n' | " DRAVEL_HUB " init --database '" + cluster_->Url() +
                         "' >/dev/null 2>&1")
                  .status,
              0);
    // The first, the one killed, grades one at a time: while its grader runs
    // it has announced every grading it stored, so a kill cannot fall between
    // an outcome kept and its wall message sent.
    for (const char* jobs : {"1", "2"}) {
      auto& serve = serves_[ports_.size()];
      serve =
          std::make_unique<ServeProcess>(std::vector<std::string>{"--database", cluster_->Url()},
                                         std::vector<std::string>{"--jobs", jobs});
      ports_.push_back(ListeningPort(*serve));
      ASSERT_GT(ports_.back(), 0);
    }
  }

  std::unique_ptr<OwnCluster> cluster_;
  std::unique_ptr<ServeProcess> serves_[2];
  std::vector<int> ports_;
};

TEST_F(HubPostgresFaultTest, HandinsOfAKilledProcessAreGradedOnceByTheOther) {
  constexpr int kPupils = 16;
  constexpr size_t kKillAfter = 10;
  constexpr int kAfterKill = 3;  // 201s from the other process after the kill
  Classroom room;
  MakeClassroom(ports_[0], kPupils, room);
  WallViewer doomed_wall(ports_[0], room.class_id, room.teacher);
  WallViewer viewer(ports_[1], room.class_id, room.teacher);
  ASSERT_TRUE(doomed_wall.Open() && viewer.Open());
  BurstLog log;
  std::atomic<bool> stop = false, killed = false;
  std::jthread burst([&] { Burst(room, ports_, kSlowScript, stop, killed, log); });
  const pid_t doomed = serves_[0]->pid;
  // Killed once it has graded (the other's walls must have heard that) and
  // while it holds another grading: a grader of its own is running.
  bool grading_at_kill = false;
  log.WaitFor([&] {
    return log.acknowledged_.size() >= kKillAfter && doomed_wall.EndsSoFar() > 0 &&
           (grading_at_kill = HasChild(doomed));
  });
  serves_[0]->Stop(SIGKILL);
  killed = true;
  log.WaitFor([&] { return log.acknowledged_after_mark_[ports_[1]] >= kAfterKill; });
  stop = true;
  burst.join();
  doomed_wall.Stop();
  const std::vector<int64_t> acknowledged = log.Acknowledged();
  ASSERT_TRUE(grading_at_kill);
  EXPECT_GE(log.acknowledged_after_mark_[ports_[1]], kAfterKill);

  const std::map<int64_t, Json> states =
      SettledHandins(ports_[1], room.teacher, acknowledged, kSettleBound);
  // The wall hears within 2 s of a grading, whichever process graded.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  viewer.Stop();
  for (int64_t id : acknowledged) {
    SCOPED_TRACE(id);
    EXPECT_EQ(states.at(id).value("state", "missing"), "graded") << states.at(id).dump();
    const auto heard = viewer.Ends().find(id);
    EXPECT_EQ(heard == viewer.Ends().end() ? 0 : heard->second, 1) << "graded messages on the wall";
  }
  EXPECT_EQ(serves_[1]->Stop(SIGTERM), 0);
}

TEST_F(HubPostgresFaultTest, ARestartedDatabaseMeans503sNeverAFalse201AndServiceAfter) {
  constexpr int kPupils = 12;
  constexpr size_t kRestartAfter = 6;
  constexpr int kEachAfter = 3;  // 201s from each process after the restart
  Classroom room;
  MakeClassroom(ports_[0], kPupils, room);
  BurstLog log;
  std::atomic<bool> stop = false, restarted = false;
  std::jthread burst([&] { Burst(room, ports_, kQuickScript, stop, restarted, log); });
  log.WaitFor([&] { return log.acknowledged_.size() >= kRestartAfter; });
  const bool restarted_cleanly = cluster_->Restart();
  restarted = true;
  log.WaitFor([&] {
    return log.acknowledged_after_mark_[ports_[0]] >= kEachAfter &&
           log.acknowledged_after_mark_[ports_[1]] >= kEachAfter;
  });
  stop = true;
  burst.join();
  ASSERT_TRUE(restarted_cleanly);

  // 429: the pupil's last hand-in was still being graded; nothing kept.
  for (const auto& [status, count] : log.statuses_) {
    EXPECT_TRUE(status == 201 || status == 503 || status == 429) << status << " × " << count;
  }
  EXPECT_GT(log.statuses_[503], 0) << "the restart came between the burst's requests";
  for (int port : ports_) EXPECT_GE(log.acknowledged_after_mark_[port], kEachAfter) << port;
  const std::vector<int64_t> acknowledged = log.Acknowledged();
  const std::map<int64_t, Json> states =
      SettledHandins(ports_[1], TeacherLogin(ports_[1]), acknowledged, kSettleBound);
  for (int64_t id : acknowledged) {
    SCOPED_TRACE(id);
    EXPECT_EQ(states.at(id).value("state", "missing"), "graded") << states.at(id).dump();
  }
  for (auto& serve : serves_) EXPECT_EQ(serve->Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace dravel::hub
