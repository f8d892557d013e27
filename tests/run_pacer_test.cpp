// Where a run ends or stands (failing line and body item through the host),
// the byte range of a body item, and pacing: single steps, stop while paused,
// and that a slow run draws and reports exactly what the fastest one does.
#include "interpreter/run_pacer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "canvas/canvas_core.h"
#include "interpreter/run_driver.h"
#include "interpreter/run_location.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;
using testing::Gbk;
using namespace std::chrono_literals;

// Records the locations the run reports, beside the recording host's effects.
class LocatingHost : public testing::RecordingHost {
 public:
  using RecordingHost::RecordingHost;
  void ReportFailingItem(const std::stop_token&, int script_line, int body_item) override {
    failing_item = {script_line, body_item};
  }
  void ReportExecutingLine(const std::stop_token&, int script_line, int body_item) override {
    std::lock_guard lock(mutex);
    executing.emplace_back(script_line, body_item);
  }
  std::pair<int, int> failing_item{0, 0};
  std::mutex mutex;
  std::vector<std::pair<int, int>> executing;
};

int FailingLine(const std::vector<std::string>& effects) {
  for (const std::string& effect : effects) {
    if (effect.starts_with("line ")) return std::stoi(effect.substr(5));
  }
  return 0;
}

struct LocationCase {
  const char* script;
  int line;  // 0: the run did not fail
  int item;  // 0: not inside a body
};

TEST(RunLocation, FailingLineAndBodyItemReachTheHost) {
  const std::vector<LocationCase> cases = {
      {"前进 10\r\n毛病\r\n前进 5", 2, 0},
      {"前进 10\r\n\r\n\r\n前进\r\n", 4, 0},
      {"前进 10\r\n重复 3 【前进 1|左转|右转 5】\r\n", 2, 2},
      {"重复 2 【前进 1|右转 5|停止】", 1, 3},
      {" //注释\r\n画正多边形 3 10|停止", 2, 2},
      {"写文字 你好\r\n重复 2 【写文字 汉字|毛病】\r\n", 2, 2},
      {"重复 2 【重复 2 【前进 1】|后退】", 1, 1},  // the inner body ends at the first 】
      {"次数\r\n前进 1", 1, 0},
      {"前进 1\r\n停止\r\n", 2, 0},
      {"前进 1\r\n重复 2 【前进 1】\r\n", 0, 0},
  };
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.script);
    testing::RecordingTurtle turtle;
    LocatingHost host(Gbk(c.script));
    host.on_delay = [](const std::stop_token&, int) {};
    RunContext context{turtle, host, {}};
    RunScript({host.EditorText(), "1"}, context);
    EXPECT_EQ(FailingLine(host.Effects()), c.line);
    EXPECT_EQ(host.failing_item, std::make_pair(c.item == 0 ? 0 : c.line, c.item));
  }
}

TEST(RunLocation, BodyItemRangeIsWhereTheInterpreterCutsTheItem) {
  struct Case {
    const char* line;
    int item;
    const char* marked;  // "" when there is no range
  };
  const std::vector<Case> cases = {
      {"重复 3 【前进 1|左转|右转 5】", 1, "前进 1"},
      {"重复 3 【前进 1|左转|右转 5】", 2, "左转"},
      {"重复 3 【前进 1|左转|右转 5】", 3, "右转 5"},
      {"重复 3 【前进 1|左转|右转 5】", 4, ""},
      {"repeat 2 【写文字 汉字|毛病】\r", 2, "毛病"},
      {"画正多边形 3 10|停止", 2, "10|停止"},
      {"前进 10", 1, ""},
      {"重复 3 前进", 1, ""},
      {"", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " / " + std::to_string(c.item));
    const Text line = Gbk(c.line);
    const std::optional<ByteRange> range = BodyItemRange(line, c.item);
    const std::string marked =
        range ? testing::Utf8(line.substr(range->begin, range->end - range->begin)) : "";
    EXPECT_EQ(marked, c.marked);
  }
}

class CountingWaiter final : public PacingWaiter {
 public:
  void Wait(std::chrono::milliseconds interval, const std::stop_token&) override {
    waits.push_back(interval);
  }
  std::vector<std::chrono::milliseconds> waits;
};

TEST(RunPacer, SlowRunWaitsBeforeEachCommandAndReportsItsPlace) {
  CountingWaiter waiter;
  RunPacer pacer(&waiter);
  pacer.SetInterval(300ms);
  testing::RecordingTurtle turtle;
  LocatingHost host;
  RunContext context{turtle, host, {}};
  context.pacer = &pacer;
  ASSERT_TRUE(ExecuteLines(
      SplitLines(Gbk("前进 1\r\n\r\n重复 2 【左转 1|右转 1】\r\n画正多边形 2 5")), context));
  EXPECT_EQ(waiter.waits, std::vector<std::chrono::milliseconds>(9, 300ms));
  const std::vector<std::pair<int, int>> places = {{1, 0}, {3, 1}, {3, 2}, {3, 1}, {3, 2},
                                                   {4, 1}, {4, 2}, {4, 1}, {4, 2}};
  EXPECT_EQ(host.executing, places);
}

// The page's worker: whatever the page sent arrives at the hand-over.
class HandingOverWaiter final : public PacingWaiter {
 public:
  void Wait(std::chrono::milliseconds interval, const std::stop_token&) override {
    waits.push_back(interval);
  }
  void HandOver(const std::stop_token&) override {
    ++hand_overs;
    if (arrives) arrives();
  }
  std::function<void()> arrives;
  int hand_overs = 0;
  std::vector<std::chrono::milliseconds> waits;
};

TEST(RunPacer, HandOverComesOnceBeforeTheNextCommandAndWhatArrivesApplies) {
  struct Case {
    const char* what;
    std::chrono::milliseconds arriving_interval;
    size_t paced_commands;
  };
  for (const Case& c : {Case{"nothing", 0ms, 0}, Case{"a slower speed", 300ms, 3}}) {
    SCOPED_TRACE(c.what);
    HandingOverWaiter waiter;
    RunPacer pacer(&waiter);
    waiter.arrives = [&] { pacer.SetInterval(c.arriving_interval); };
    pacer.RequestHandOver();
    testing::RecordingTurtle turtle;
    LocatingHost host;
    RunContext context{turtle, host, {}};
    context.pacer = &pacer;
    ASSERT_TRUE(ExecuteLines(SplitLines(Gbk("前进 1\r\n后退 1\r\n清屏")), context));
    EXPECT_EQ(waiter.hand_overs, 1);
    EXPECT_EQ(waiter.waits.size(), c.paced_commands);
    EXPECT_EQ(host.executing.size(), c.paced_commands);
    EXPECT_EQ(turtle.Calls().size(), 3u);
  }
}

// Runs `script` on a thread of its own with `pacer`.
struct PacedRun {
  PacedRun(const char* script, RunPacer& pacer) : host(Gbk(script)) {
    thread = std::jthread([this, &pacer](std::stop_token stop) {
      RunContext context{turtle, host, stop};
      context.pacer = &pacer;
      RunScript({host.EditorText(), "1"}, context);
    });
  }
  testing::RecordingTurtle turtle;
  LocatingHost host;
  std::jthread thread;
};

TEST(RunPacer, EachStepCarriesOutExactlyOneCommand) {
  for (int steps : {0, 1, 2, 5, 7}) {
    SCOPED_TRACE(steps);
    RunPacer pacer;
    pacer.Pause();
    PacedRun run("前进 1\r\n重复 3 【左转 1|右转 1】\r\n后退 1\r\n清屏", pacer);
    for (int i = 0; i < steps; ++i) {
      ASSERT_TRUE(pacer.WaitUntilHeld(10s));
      pacer.Step();
    }
    ASSERT_TRUE(pacer.WaitUntilHeld(10s));
    EXPECT_EQ(run.turtle.Calls().size(), static_cast<size_t>(steps));
    run.thread.request_stop();
    run.thread.join();
    EXPECT_EQ(run.turtle.Calls().size(), static_cast<size_t>(steps));
  }
}

TEST(RunPacer, ContinueRunsToTheEnd) {
  RunPacer pacer;
  pacer.Step();
  PacedRun run("前进 1\r\n后退 1\r\n清屏", pacer);
  ASSERT_TRUE(pacer.WaitUntilHeld(10s));
  EXPECT_EQ(run.turtle.Calls().size(), 1u);
  pacer.Continue();
  run.thread.join();
  EXPECT_EQ(run.turtle.Calls().size(), 3u);
  EXPECT_TRUE(run.host.RunButtonEnabled());
}

TEST(RunPacer, StopWhilePausedEndsTheRunDriversRunOnce) {
  RunPacer pacer;
  pacer.Pause();
  testing::RecordingTurtle turtle;
  testing::FakeRunCanvas canvas(turtle);
  testing::RecordingHost host(Gbk("前进 1\r\n后退 1"));
  RunDriver driver(host, canvas);
  driver.SetPacer(&pacer);
  ASSERT_TRUE(driver.StartRun());
  ASSERT_TRUE(pacer.WaitUntilHeld(10s));
  EXPECT_TRUE(driver.StopRun());
  EXPECT_TRUE(driver.WaitForRun(10s));
  EXPECT_FALSE(driver.StopRun());
  EXPECT_TRUE(turtle.Calls().empty());
  EXPECT_EQ(host.HintUtf8(), "提示信息：\r\n开始调试现行程序...\r\n已停止调试程序！\r\n");
  EXPECT_TRUE(host.RunButtonEnabled());
}

// Ends the run after a budget of operations, so endless scripts end alike.
class BudgetTurtle final : public testing::ForwardingTurtle {
 public:
  BudgetTurtle(TurtleOperations& inner, CanvasCore& canvas, RunSession& session)
      : ForwardingTurtle(&inner), canvas_(canvas), session_(session) {}

 protected:
  void Carry(const std::function<void()>& call) override {
    if (++spent_ == kBudget) canvas_.UnderDrawingLock([this] { session_.Stop(); });
    call();
  }

 private:
  static constexpr int kBudget = 20000;
  CanvasCore& canvas_;
  RunSession& session_;
  int spent_ = 0;
};

struct Drawing {
  std::vector<uint32_t> picture;
  std::string hint;
};

Drawing Draw(const Text& script, RunPacer* pacer) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(320, 240);
  RunSession session;
  const std::unique_ptr<TurtleOperations> session_turtle = canvas->TurtleFor(session);
  BudgetTurtle turtle(*session_turtle, *canvas, session);
  testing::RecordingHost host(script);
  host.on_delay = [](const std::stop_token&, int) {};
  RunContext context{turtle, host, session.Token()};
  context.pacer = pacer;
  RunScript({script, "1"}, context);
  return {canvas->Lock()->Paint(), host.HintUtf8()};
}

Text ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return ScriptFromFileBytes(bytes.str());
}

TEST(RunPacer, SlowRunDrawsAndReportsExactlyWhatTheFastestDoes) {
  std::vector<fs::path> scripts;
  const fs::path data(DRAVEL_TEST_DATA);
  for (const fs::path& root : {data, fs::path(DRAVEL_BENCH_DATA)}) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.path().extension() == ".dvg") scripts.push_back(entry.path());
    }
  }
  ASSERT_GE(scripts.size(), 10u);
  for (const fs::path& path : scripts) {
    SCOPED_TRACE(path.string());
    const Text script = ReadBytes(path);
    CountingWaiter waiter;
    RunPacer slow(&waiter);
    slow.SetInterval(500ms);
    const Drawing fastest = Draw(script, nullptr);
    const Drawing paced = Draw(script, &slow);
    EXPECT_EQ(fastest.hint, paced.hint);
    EXPECT_TRUE(fastest.picture == paced.picture);
  }
}

}  // namespace
}  // namespace dravel
