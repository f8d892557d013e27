// RunScript on the calling thread: the hint box texts, the run count and the
// effects a run leaves behind. The threaded StartRun/StopRun are in
// run_thread_test.cpp.
#include "interpreter/run_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

using ::testing::ElementsAre;
using testing::Gbk;
using ::testing::IsEmpty;

constexpr std::string_view kStart = "提示信息：\r\n开始调试现行程序...\r\n";

struct FinishedRun {
  testing::RecordingTurtle turtle;
  testing::RecordingHost host;

  FinishedRun(std::string_view utf8_script, std::string_view utf8_box)
      : host(Gbk(utf8_script), Gbk(utf8_box)) {
    RunContext context{turtle, host, {}};
    RunScript({host.EditorText(), host.RunCountText()}, context);
  }
  size_t PassCount() const {
    const std::string hint = host.HintUtf8();
    size_t passes = 0;
    for (size_t at = hint.find("次：执行命令完毕"); at != std::string::npos;
         at = hint.find("次：执行命令完毕", at + 1)) {
      ++passes;
    }
    return passes;
  }
};

TEST(RunScript, ReportsEachPassAndTheEnd) {
  const FinishedRun run("次数 2\r\n前进 10", "1");
  EXPECT_EQ(run.host.HintUtf8(), std::string(kStart) +
                                     "第1次：执行命令完毕！\r\n第2次：执行命令完毕！\r\n"
                                     "程序调试完毕！\r\n");
  EXPECT_THAT(run.turtle.Calls(), ElementsAre("Forward 10", "Forward 10"));
  EXPECT_EQ(run.host.Effects().back(), "enable");
  EXPECT_TRUE(run.host.RunButtonEnabled());
}

TEST(RunScript, EndsAtAFailingLineWithFocusAndBeep) {
  const FinishedRun run("前进 1\r\n次数 2\r\n前进\r\n前进 3", "1");
  EXPECT_EQ(run.host.HintUtf8(), std::string(kStart) + "第3行命令 前进 错误！\r\n");
  EXPECT_THAT(run.turtle.Calls(), ElementsAre("Forward 1"));
  EXPECT_THAT(run.host.Effects(),
              ElementsAre("hint", "append", "append", "line 3", "enable", "focus", "beep"));
}

TEST(RunScript, StopCommandEndsTheWholeRun) {
  const FinishedRun run("次数 2\r\n前进 1\r\n前进 2\r\n停止\r\n前进 4", "1");
  EXPECT_EQ(run.host.HintUtf8(), std::string(kStart) + "已被第4行 停止 命令停止调试！\r\n");
  EXPECT_THAT(run.turtle.Calls(), ElementsAre("Forward 1", "Forward 2"));
  EXPECT_EQ(run.host.Effects().back(), "beep");
}

TEST(RunScript, TakesTheRunCountFromTheFirstCountLineOrTheBox) {
  const struct {
    const char* script;
    const char* box;
    size_t passes;
  } cases[] = {
      {"次数 3", "1", 3},
      {"次数 2\r\n次数 5", "1", 2},
      {"前进 1\r\ncount 2", "1", 2},
      {"次数 0", "2", 2},
      {"次数 abc", "2", 2},
      {"次数  3", "2", 2},  // two spaces: word 2 is empty
      {"次数 -1", "2", 0},
      {" //count 4", "2", 2},
      {"重复 1 【次数 4】", "2", 2},
      {"", "3", 3},
      {"", "abc", 0},
      {"", "-4", 0},
      {"", "２", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.script) + " / box " + c.box);
    const FinishedRun run(c.script, c.box);
    EXPECT_EQ(run.PassCount(), c.passes);
    EXPECT_TRUE(run.host.HintUtf8().ends_with("程序调试完毕！\r\n"));
    EXPECT_EQ(run.host.RunCount(), Gbk(c.box));
  }
}

TEST(RunScript, FillsAnEmptyRunCountBoxWithOne) {
  const FinishedRun run("前进 1", "");
  EXPECT_EQ(run.host.RunCount(), "1");
  EXPECT_EQ(run.PassCount(), 1u);
  EXPECT_THAT(run.host.Effects(),
              ElementsAre("hint", "count", "append", "append", "append", "enable"));
}

TEST(RunScript, CountLineWithoutValueEndsBeforeAnyPass) {
  const FinishedRun run("前进 1\r\n次数\r\n次数 3", "1");
  EXPECT_EQ(run.host.HintUtf8(), std::string(kStart) + "第2行命令 次数 错误！\r\n");
  EXPECT_THAT(run.turtle.Calls(), IsEmpty());
  EXPECT_THAT(run.host.Effects(),
              ElementsAre("hint", "append", "append", "line 2", "enable", "beep"));
}

TEST(RunScript, ANotANumberCountMakesNoPass) {
  const FinishedRun run("前进 1", "x");
  EXPECT_EQ(run.host.HintUtf8(), std::string(kStart) + "程序调试完毕！\r\n");
}

}  // namespace
}  // namespace dravel
