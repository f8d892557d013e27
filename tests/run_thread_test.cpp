// The run thread and its stop: StartThread/EndThread on their own, then
// RunDriver's StartRun/StopRun with the recording fakes. Every wait is a
// handshake on an effect or a call; a missing stop shows as a hang, which
// the test runner's timeout turns into a failure.
#include "runtime/run_thread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>

#include "canvas/canvas_core.h"
#include "interpreter/run_driver.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

using ::testing::ElementsAre;
using testing::Gbk;
using ::testing::IsEmpty;

constexpr std::string_view kStopped = "已停止调试程序！\r\n";

TEST(EndThread, EndsOnlyAThreadStillRunning) {
  EXPECT_FALSE(EndThread(nullptr));

  ThreadReference finished = StartThread([](const RunSession&) {});
  ASSERT_NE(finished, nullptr);
  ASSERT_TRUE(WaitForThread(finished));
  EXPECT_FALSE(EndThread(finished));

  ThreadReference running = StartThread([](const RunSession& session) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait(lock, session.Token(), [] { return false; });
  });
  int guarded = 0;
  const StopGuard guard = [&](const std::function<void()>& request) {
    ++guarded;
    request();
  };
  EXPECT_TRUE(EndThread(running, guard));
  EXPECT_TRUE(WaitForThread(running));
  EXPECT_FALSE(EndThread(running, guard));
  EXPECT_EQ(guarded, 2);
}

struct Fixture : ::testing::Test {
  testing::RecordingTurtle turtle;
  testing::FakeRunCanvas canvas{turtle};
  testing::RecordingHost host;

  void SetScript(std::string_view utf8) { host.SetEditorText(Gbk(utf8)); }
  std::string Hint() const { return host.HintUtf8(); }
};

using RunDriverThread = Fixture;

TEST_F(RunDriverThread, StopBeforeAnyRunChangesNothing) {
  RunDriver driver(host, canvas);
  EXPECT_FALSE(driver.StopRun());
  EXPECT_THAT(host.Effects(), IsEmpty());
  EXPECT_TRUE(host.RunButtonEnabled());
}

TEST_F(RunDriverThread, StopAfterAFinishedRunChangesNothing) {
  SetScript("前进 1");
  RunDriver driver(host, canvas);
  ASSERT_TRUE(driver.StartRun());
  ASSERT_TRUE(driver.WaitForRun());
  const std::vector<std::string> effects = host.Effects();
  EXPECT_FALSE(driver.StopRun());
  EXPECT_EQ(host.Effects(), effects);
  EXPECT_TRUE(Hint().ends_with("程序调试完毕！\r\n"));
  EXPECT_TRUE(host.RunButtonEnabled());
}

TEST_F(RunDriverThread, StopCutsARealDelayShort) {
  SetScript("前进 1\r\n延时 2000000000\r\n前进 2");
  RunDriver driver(host, canvas);
  ASSERT_TRUE(driver.StartRun());
  EXPECT_FALSE(host.RunButtonEnabled());
  turtle.WaitForCalls(1);
  ASSERT_TRUE(driver.StopRun()) << Hint();
  ASSERT_TRUE(driver.WaitForRun());  // hangs if the delay runs on
  EXPECT_THAT(turtle.Calls(), ElementsAre("Forward 1"));
  EXPECT_TRUE(Hint().ends_with(kStopped));
  EXPECT_TRUE(host.RunButtonEnabled());
}

TEST_F(RunDriverThread, StopDuringADelayEndsTheRunWithItsMessageLast) {
  std::mutex mutex;
  std::condition_variable entered;
  bool in_delay = false;
  host.on_delay = [&](const std::stop_token& stop, int) {
    std::unique_lock lock(mutex);
    in_delay = true;
    entered.notify_all();
    std::condition_variable_any wake;
    wake.wait(lock, stop, [] { return false; });
  };
  SetScript("前进 1\r\n延时 5000\r\n前进 2");
  {
    RunDriver driver(host, canvas);
    ASSERT_TRUE(driver.StartRun());
    {
      std::unique_lock lock(mutex);
      entered.wait(lock, [&] { return in_delay; });
    }
    ASSERT_TRUE(driver.StopRun()) << Hint();
    ASSERT_TRUE(driver.WaitForRun());
  }
  EXPECT_EQ(Hint(), std::string("提示信息：\r\n开始调试现行程序...\r\n") + std::string(kStopped));
  EXPECT_THAT(turtle.Calls(), ElementsAre("Forward 1"));
  EXPECT_THAT(host.Effects(), ElementsAre("hint", "append", "append", "enable"));
}

TEST_F(RunDriverThread, StoppedRunDrawsAndAppendsNothingAfterTheStop) {
  SetScript("次数 2000000000\r\n重复 1000 【前进 1|右转 1】");
  RunDriver driver(host, canvas);
  ASSERT_TRUE(driver.StartRun());
  host.WaitForEffects(3);  // a pass has been reported
  ASSERT_TRUE(driver.StopRun()) << Hint();
  const std::vector<std::string> calls = turtle.Calls();
  const Text hint = host.Hint();
  ASSERT_TRUE(driver.WaitForRun());
  EXPECT_EQ(turtle.Calls(), calls);
  EXPECT_EQ(host.Hint(), hint);
  EXPECT_TRUE(Hint().ends_with(kStopped));
  EXPECT_EQ(host.Effects().back(), "enable");
}

TEST_F(RunDriverThread, RefusesASecondRunWhileOneIsInProgress) {
  SetScript("重复 2000000000 【前进 1】");
  RunDriver driver(host, canvas);
  ASSERT_TRUE(driver.StartRun());
  turtle.WaitForCalls(1);
  EXPECT_FALSE(driver.StartRun());
  EXPECT_TRUE(driver.StopRun()) << Hint();
}

TEST_F(RunDriverThread, RunsAgainAfterAStoppedRun) {
  SetScript("重复 2000000000 【前进 1】");
  RunDriver driver(host, canvas);
  ASSERT_TRUE(driver.StartRun());
  turtle.WaitForCalls(1);
  ASSERT_TRUE(driver.StopRun()) << Hint();
  SetScript("后退 5");
  ASSERT_TRUE(driver.StartRun());
  ASSERT_TRUE(driver.WaitForRun());
  EXPECT_EQ(turtle.Calls().back(), "Back 5");
  EXPECT_EQ(Hint(),
            "提示信息：\r\n开始调试现行程序...\r\n第1次：执行命令完毕！\r\n程序调试完毕！\r\n");
}

TEST_F(RunDriverThread, SurvivesAThousandStartStopClearCycles) {
  SetScript("重复 2000000000 【前进 1|延时 1】");
  RunDriver driver(host, canvas);
  for (int cycle = 0; cycle < 1000; ++cycle) {
    ASSERT_TRUE(driver.StartRun()) << cycle;
    if (cycle % 2 == 1) turtle.WaitForCalls(turtle.Calls().size() + 1);
    ASSERT_TRUE(driver.StopRun()) << cycle << ": " << Hint();
    turtle.Clear();  // the clear button stops first, then clears
    ASSERT_TRUE(host.RunButtonEnabled()) << cycle;
  }
  EXPECT_TRUE(Hint().ends_with(kStopped));
}

TEST_F(RunDriverThread, DestroyingTheDriverEndsARunInProgress) {
  SetScript("延时 2000000000");
  {
    RunDriver driver(host, canvas);
    ASSERT_TRUE(driver.StartRun());
    host.WaitForEffects(2);
  }
  EXPECT_FALSE(Hint().ends_with(kStopped));
}

TEST(RunDriverOnCanvas, SurvivesAThousandStartStopClearCyclesWhilePainting) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(200, 100);
  canvas->Lock()->SetEdgeMode(EdgeMode::Wrap);
  testing::RecordingHost host(Gbk("重复 2000000000 【前进 7|右转 1|画圆 30】"));
  RunDriver driver(host, *canvas);
  for (int cycle = 0; cycle < 1000; ++cycle) {
    const size_t effects_before = host.Effects().size();
    ASSERT_TRUE(driver.StartRun()) << cycle;
    if (cycle % 2 == 1) host.WaitForEffects(effects_before + 2);  // the run has begun
    canvas->Lock()->Paint();  // the window paints while the run draws
    ASSERT_TRUE(driver.StopRun()) << cycle;
    canvas->Turtle().Clear();
  }
  ASSERT_TRUE(driver.WaitForRun());
  // Nothing of the last, stopped run shows on the cleared canvas.
  const PixelView layer = canvas->Lock()->VisibleLayer();
  EXPECT_EQ(layer.pixels[0], layer.pixels[50 * layer.stride + 100]);
  EXPECT_EQ(layer.pixels[0], layer.pixels[50 * layer.stride + 130]);
}

}  // namespace
}  // namespace dravel
