#include "interpreter/execute_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

using ::testing::ElementsAre;
using testing::Gbk;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

struct Outcome {
  bool ok = false;
  std::string hint;  // what the lines appended, UTF-8
  Calls calls;
  std::vector<std::string> effects;
  std::vector<int> delays;
};

Outcome ExecuteGbk(const Text& script) {
  Outcome outcome;
  testing::RecordingTurtle turtle;
  testing::RecordingHost host;
  host.on_delay = [&](const std::stop_token&, int ms) { outcome.delays.push_back(ms); };
  RunContext context{turtle, host, {}};
  outcome.ok = ExecuteLines(SplitLines(script), context);
  outcome.hint = host.HintUtf8();
  outcome.calls = turtle.Calls();
  outcome.effects = host.Effects();
  return outcome;
}

Outcome Execute(std::string_view utf8_script) { return ExecuteGbk(Gbk(utf8_script)); }

Calls Times(int n, const Calls& calls) {
  Calls all;
  for (int i = 0; i < n; ++i) all.insert(all.end(), calls.begin(), calls.end());
  return all;
}

struct Case {
  const char* script;
  bool ok;
  const char* hint;
  Calls calls;
};

void ExpectCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const Outcome outcome = Execute(c.script);
    EXPECT_EQ(outcome.ok, c.ok);
    EXPECT_EQ(outcome.hint, c.hint);
    EXPECT_EQ(outcome.calls, c.calls);
  }
}

TEST(ExecuteLines, MatchesWholeWordsCaseSensitively) {
  ExpectCases({
      {"前进 100", true, "", {"Forward 100"}},
      {"go 100", true, "", {"Forward 100"}},
      {"前进 100 //向前", true, "", {"Forward 100"}},
      {"Go 100", false, "第1行存在无法识别的命令！\r\n", {}},
      {"GO 100", false, "第1行存在无法识别的命令！\r\n", {}},
      {"前进100", false, "第1行存在无法识别的命令！\r\n", {}},
      {"前进 100abc", true, "", {"Forward 100"}},
      {"前进 １００", true, "", {"Forward 100"}},
      {"右转 -30", true, "", {"TurnRight -30"}},
  });
}

TEST(ExecuteLines, CountsWordsAtSingleSpaces) {
  ExpectCases({
      {"前进", false, "第1行命令 前进 错误！\r\n", {}},
      {"前进 ", false, "第1行命令 前进 错误！\r\n", {}},
      {"前进  100", true, "", {"Forward 0"}},
      {"前进 //注释", true, "", {"Forward 0"}},
      {"写文字 你好 世界", true, "", {"WriteText 你好"}},
      {"画椭圆 80", false, "第1行命令 画椭圆 错误！\r\n", {}},
      {"画矩形 100 60 7", true, "", {"Rectangle 100 60"}},
      {"置坐标 10 -20", true, "", {"SetXY 10 -20"}},
  });
}

// The page fetches its text font there, so it comes before each text reaches
// the turtle, and for nothing else.
TEST(ExecuteLines, TextAsksTheHostToPrepareItFirst) {
  struct PreparingHost final : testing::RecordingHost {
    void PrepareText(const std::stop_token&) override {
      prepared_after.push_back(turtle->Calls().size());
    }
    testing::RecordingTurtle* turtle = nullptr;
    std::vector<size_t> prepared_after;
  };
  testing::RecordingTurtle turtle;
  PreparingHost host;
  host.turtle = &turtle;
  RunContext context{turtle, host, {}};
  ASSERT_TRUE(
      ExecuteLines(SplitLines(Gbk("前进 1\r\n写文字 a\r\n重复 2 【写文字 b|右转 1】")), context));
  EXPECT_THAT(host.prepared_after, ElementsAre(1u, 2u, 4u));
}

TEST(ExecuteLines, SkipsCommentsEmptyLinesAndCountLines) {
  ExpectCases({
      {" //注释", true, "", {}},
      {"//注释", false, "第1行存在无法识别的命令！\r\n", {}},
      {" 前进 100", false, "第1行存在无法识别的命令！\r\n", {}},
      {"   ", false, "第1行存在无法识别的命令！\r\n", {}},
      {"前进 1\r\n\r\n次数 3\r\ncount 3\r\n次数\r\n前进 2", true, "", {"Forward 1", "Forward 2"}},
      {"前进 1\r\n\r\n后退 2\r\n左转", false, "第4行命令 左转 错误！\r\n", {"Forward 1", "Back 2"}},
  });
}

TEST(ExecuteLines, EveryKeywordAndAliasReachesItsOperation) {
  const struct {
    const char* keyword;
    const char* alias;
    const char* arguments;
    const char* call;
  } rows[] = {
      {"前进", "go", " 1", "Forward 1"},
      {"后退", "back", " 1", "Back 1"},
      {"左转", "left", " 1", "TurnLeft 1"},
      {"右转", "right", " 1", "TurnRight 1"},
      {"回家", "home", "", "Home"},
      {"清屏", "cls", "", "Clear"},
      {"画圆", "circle", " 5", "Circle 5"},
      {"抬笔", "lift", "", "PenUp"},
      {"落笔", "fall", "", "PenDown"},
      {"画椭圆", "oval", " 2 3", "Ellipse 2 3"},
      {"画矩形", "rectangle", " 2 3", "Rectangle 2 3"},
      {"置横坐标", "setx", " 4", "SetX 4"},
      {"置竖坐标", "sety", " 4", "SetY 4"},
      {"置坐标", "setxy", " 4 5", "SetXY 4 5"},
      {"显示", "show", "", "Show"},
      {"隐藏", "hide", "", "Hide"},
      {"写文字", "settext", " 字", "WriteText 字"},
  };
  for (const auto& row : rows) {
    for (const char* word : {row.keyword, row.alias}) {
      const std::string line = std::string(word) + row.arguments;
      SCOPED_TRACE(line);
      const Outcome outcome = Execute(line);
      EXPECT_TRUE(outcome.ok);
      EXPECT_THAT(outcome.calls, ElementsAre(row.call));
    }
  }
}

// Every row is complete and agrees with itself: its shape needs the words it
// asks for, its message is the one a short line gets, its example runs.
TEST(CommandTable, EveryRowIsComplete) {
  const auto words_of = [](ArgumentShape shape) {
    switch (shape) {
      case ArgumentShape::kNone: return 1;
      case ArgumentShape::kNumber:
      case ArgumentShape::kInteger:
      case ArgumentShape::kWord: return 2;
      default: return 3;
    }
  };
  EXPECT_EQ(AllCommands().size(), CommandTable().size() + 1);
  for (const CommandRow* row : AllCommands()) {
    SCOPED_TRACE(testing::Utf8(row->keyword));
    EXPECT_FALSE(row->keyword.empty());
    EXPECT_FALSE(row->alias.empty());
    EXPECT_EQ(row->least_words, words_of(row->shape));
    EXPECT_EQ(row->message,
              row->least_words > 1 ? Gbk("行命令 ") + row->keyword + Gbk(" 错误！\r\n") : "");
    EXPECT_EQ(&RowOf(row->action), row);
    EXPECT_TRUE(Gbk(row->help.syntax).starts_with(row->keyword));
    EXPECT_FALSE(row->help.meaning.empty());
    const PreparedLine example = PrepareLine(Gbk(row->help.example));
    if (row->action == CommandAction::kCount) {
      EXPECT_EQ(example.kind, PreparedLine::Kind::kSkip);
    } else {
      EXPECT_EQ(example.kind, PreparedLine::Kind::kCommand);
      EXPECT_EQ(example.row, row);
    }
  }
}

TEST(ExecuteLines, DelaysPassTheirIntegerThrough) {
  EXPECT_THAT(Execute("延时 500\r\nsleep -5\r\n延时 2.9").delays, ElementsAre(500, -5, 2));
  EXPECT_EQ(Execute("延时").hint, "第1行命令 延时 错误！\r\n");
}

TEST(ExecuteLines, RepeatsTheBodyBetweenTheFirstBrackets) {
  const Calls side = {"Forward 100", "TurnRight 90"};
  ExpectCases({
      {"重复 4 【前进 100|右转 90】", true, "", Times(4, side)},
      {"repeat 4 【go 100|right 90】", true, "", Times(4, side)},
      {"重复 4【前进 100】", true, "", Times(4, {"Forward 100"})},
      {"重复 4【前进】", false, "第1行命令 重复 错误！\r\n", {}},
      {"重复 0 【前进 10】", true, "", {}},
      {"重复 -2 【前进 10】", true, "", {}},
      {"重复 3 【】", false, "第1行命令 重复 错误！\r\n", {}},
      {"重复 0 【】", false, "第1行命令 重复 错误！\r\n", {}},
      {"重复 3 前进 10", false, "第1行命令 重复 错误！\r\n", {}},
      {"重复 2 【前进 1||前进 2|】", true, "", Times(2, {"Forward 1", "Forward 2"})},
      {"重复 2 【 //注释|次数 5|前进 1】 后面", true, "", Times(2, {"Forward 1"})},
  });
}

TEST(ExecuteLines, NumbersAFailureInsideABodyByItsPosition) {
  ExpectCases({
      {"前进 1\r\n重复 2 【前进 10|前进】\r\n前进 3",
       false,
       "第2行命令 前进 错误！\r\n",
       {"Forward 1", "Forward 10"}},
      {"重复 3 【重复 2 【前进 10】|右转 120】", false, "第1行命令 重复 错误！\r\n", {}},
      {"重复 3 【前进 1|stop|前进 2】", false, "已被第2行 停止 命令停止调试！\r\n", {"Forward 1"}},
  });
}

TEST(ExecuteLines, ReportsTheScriptLineOfAFailureInsideABody) {
  const Outcome outcome = Execute("前进 1\r\n\r\n重复 2 【前进 10|前进】");
  EXPECT_THAT(outcome.effects, ElementsAre("append", "line 3", "enable"));
}

TEST(ExecuteLines, ExpandsAPolygonIntoARepeatLine) {
  const Calls pentagon_side = {"Forward 100", "TurnLeft 144"};
  ExpectCases({
      {"画正多边形 5 100", true, "", Times(5, pentagon_side)},
      {"rectlot 3 10", true, "", Times(3, {"Forward 10", "TurnLeft 120"})},
      {"画正多边形 0 100", true, "", {}},
      {"画正多边形 -3 100", true, "", {}},
      {"画正多边形 2 abc", true, "", Times(2, {"Forward 0", "TurnLeft 90"})},
      {"画正多边形 5", false, "第1行命令 画正多边形 错误！\r\n", {}},
      {"重复 2 【画正多边形 3 10】", true, "", Times(6, {"Forward 10", "TurnLeft 120"})},
      // Word 3 is copied as written: an empty one leaves "前进" without a distance.
      {"画正多边形 3  10", false, "第1行命令 前进 错误！\r\n", {}},
  });
  // The turn is the value read back from its 13-digit text.
  EXPECT_EQ(Execute("画正多边形 7 10").calls.at(1), "TurnLeft 154.2857142857");
}

TEST(ExecuteLines, StopCommandEndsEveryList) {
  const Outcome outcome = Execute("前进 1\r\n前进 2\r\n前进 3\r\n停止\r\n前进 4");
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.hint, "已被第4行 停止 命令停止调试！\r\n");
  EXPECT_THAT(outcome.calls, ElementsAre("Forward 1", "Forward 2", "Forward 3"));
  EXPECT_THAT(outcome.effects, ElementsAre("append", "line 4", "enable"));
}

TEST(ExecuteLines, HandlesHostileArgumentsWithoutFailing) {
  ExpectCases({
      {"前进 1e400", true, "", {"Forward inf"}},
      {"前进 nan", true, "", {"Forward 0"}},
      {"重复 99999999999 【】", false, "第1行命令 重复 错误！\r\n", {}},
  });
  const char bytes[] = "\xff\xfe\x00\x81 \x80\r\n\xa1";
  const Outcome blob = ExecuteGbk(Text(bytes, sizeof bytes - 1));
  EXPECT_FALSE(blob.ok);
  EXPECT_THAT(blob.calls, IsEmpty());
}

TEST(ExecuteLines, DoesNothingOnceTheRunIsStopped) {
  testing::RecordingTurtle turtle;
  testing::RecordingHost host;
  std::stop_source stop;
  stop.request_stop();
  RunContext context{turtle, host, stop.get_token()};
  EXPECT_FALSE(ExecuteLines(SplitLines(Gbk("前进 1\r\n前进")), context));
  EXPECT_THAT(turtle.Calls(), IsEmpty());
  EXPECT_THAT(host.Effects(), IsEmpty());
}

}  // namespace
}  // namespace dravel
