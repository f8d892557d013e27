// The checker against trap lines a learner types, and against scripts that
// run as they mean: each trap gives its finding where it is, with a fix that
// checks clean; the example scripts, the start-up script, the workloads and
// the language cases that run without an error give none.
#include "interpreter/script_checker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "interpreter/command_list.h"
#include "interpreter/keyword_guess.h"
#include "interpreter/run_driver.h"
#include "runtime/gbk_codec.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;
using testing::Gbk;
using testing::Utf8;
using enum FindingKind;
using namespace std::string_literals;

struct Trap {
  const char* line;
  FindingKind kind;
  const char* at;     // where the finding starts (UTF-8, first match in the line)
  const char* fixed;  // the line the quick fix gives; null: none
};

const Trap kTraps[] = {
    {"重复 4 【前进 100｜右转 90】", kFullWidthBar, "｜", "重复 4 【前进 100|右转 90】"},
    {"重复 4 ［前进 100|右转 90］", kBracketLookAlike, "［", "重复 4 【前进 100|右转 90】"},
    {"重复 4 「前进 100」", kBracketLookAlike, "「", "重复 4 【前进 100】"},
    {"重复 4 [前进 100]", kBracketLookAlike, "[", "重复 4 【前进 100】"},
    {"重复 4 【前进 100]", kBracketLookAlike, "]", "重复 4 【前进 100】"},
    {"重复 4 【前进 100", kBrackets, "【", "重复 4 【前进 100】"},
    {"重复 4 】前进 100【", kBrackets, "】", "重复 4 【前进 100】"},
    {"重复 3 【】", kBrackets, "【", nullptr},
    {"重复 3 前进 10", kBrackets, "重复", nullptr},
    {"重复 3 【重复 2 【前进 10】|右转 120】", kNestedRepeat, "重复 2", nullptr},
    {"重复 2 【前进 10】右转 90", kAfterBody, "右转", "重复 2 【前进 10】\r\n右转 90"},
    {"重复 2 【前进 10】，", kAfterBody, "，", "重复 2 【前进 10】"},
    {"重复 0 【前进 10】", kNothingRuns, "0", nullptr},
    {"重复 -2 【前进 10】", kNothingRuns, "-2", nullptr},
    {"重复 x 【前进 10】", kNotANumber, "x", nullptr},
    {"重复 4 【前进  100】", kEmptyWord, " 100", "重复 4 【前进 100】"},
    {"前进　100", kSeparator, "　", "前进 100"},
    {"前进\t100", kSeparator, "\t", "前进 100"},
    {"画椭圆　80　40", kSeparator, "　", "画椭圆 80 40"},
    {"前进  100", kEmptyWord, " 100", "前进 100"},
    {"置坐标 10  20", kEmptyWord, " 20", "置坐标 10 20"},
    {" 前进 100", kLeadingSpace, " ", "前进 100"},
    {"   ", kLeadingSpace, " ", ""},
    {"  //两个空格", kCommentStart, " ", " //两个空格"},
    {"//注释", kCommentStart, "//", " //注释"},
    {"前近 100", kUnknownCommand, "前近", "前进 100"},
    {"右砖 90", kUnknownCommand, "右砖", "右转 90"},
    {"fo 100", kUnknownCommand, "fo", "go 100"},
    {"Go 100", kUnknownCommand, "Go", "go 100"},
    {"ｇｏ 100", kUnknownCommand, "ｇｏ", "go 100"},
    {"跳舞 3", kUnknownCommand, "跳舞", nullptr},
    {"前进100", kRunTogether, "前进100", "前进 100"},
    {"左转-90", kRunTogether, "左转-90", "左转 -90"},
    {"go100", kRunTogether, "go100", "go 100"},
    {"GO１００", kRunTogether, "GO１００", "go １００"},
    {"置横坐标100", kRunTogether, "置横坐标100", "置横坐标 100"},
    {"setxy10 20", kRunTogether, "setxy10", "setxy 10 20"},
    {"延时500", kRunTogether, "延时500", "延时 500"},
    {"次数3", kRunTogether, "次数3", "次数 3"},
    {"重复4【前进 100|右转 90】", kRunTogether, "重复4", "重复 4【前进 100|右转 90】"},
    {"重复 4 【前进100|右转 90】", kRunTogether, "前进100", "重复 4 【前进 100|右转 90】"},
    {"前进，100", kPunctuation, "，", "前进 100"},
    {"Home，", kPunctuation, "，", "home"},
    {"回家，前进 100", kPunctuation, "，", "回家\r\n前进 100"},
    {"重复 4 【前进 100，右转 90】", kPunctuation, "，", "重复 4 【前进 100|右转 90】"},
    {"重复 4 【前进 100：右转 90】", kPunctuation, "：", "重复 4 【前进 100|右转 90】"},
    {"重复 4 【前进 100|右转 90。】", kPunctuation, "。", "重复 4 【前进 100|右转 90】"},
    {"前进 100，", kPunctuation, "，", "前进 100"},
    {"前进 100、", kPunctuation, "、", "前进 100"},
    {"前进 100 ；", kPunctuation, "；", "前进 100"},
    {"前进 100；右转 90", kPunctuation, "；", "前进 100\r\n右转 90"},
    {"前进 100， 右转 90", kPunctuation, "，", "前进 100\r\n右转 90"},
    {"画椭圆 80，40", kPunctuation, "，", "画椭圆 80 40"},
    {"前进 100 右转 90", kTwoCommands, "右转", "前进 100\r\n右转 90"},
    {"前进 100右转 90", kTwoCommands, "右转", "前进 100\r\n右转 90"},
    {"重复 4 【前进 100 右转 90】", kTwoCommands, "右转", "重复 4 【前进 100|右转 90】"},
    {"回家 清屏", kTwoCommands, "清屏", "回家\r\n清屏"},
    {"置坐标 10 20 go 5", kTwoCommands, "go", "置坐标 10 20\r\ngo 5"},
    {"前进", kTooFewWords, "前进", nullptr},
    {"画椭圆 80 ", kTooFewWords, "画椭圆", nullptr},
    {"重复 4【前进】", kTooFewWords, "重复", nullptr},
    {"前进 abc", kNotANumber, "abc", nullptr},
    {"前进 //注释", kNotANumber, "//", nullptr},
    {"延时 .5", kNotANumber, ".5", nullptr},
    {"写文字 你好 世界", kTextCut, " 世界", nullptr},
    {"次数", kTooFewWords, "次数", nullptr},
    {"次数 abc", kNotANumber, "abc", nullptr},
    {"重复 2 【次数 3】", kCountIgnored, "次数", nullptr},
};

TEST(ScriptChecker, FindsEachTrapWhereItIsWithAFixThatChecksClean) {
  for (const Trap& trap : kTraps) {
    SCOPED_TRACE(trap.line);
    const Text line = Gbk(trap.line);
    const std::vector<Finding> findings = CheckLine(line);
    ASSERT_FALSE(findings.empty());
    const auto found = std::find_if(findings.begin(), findings.end(),
                                    [&](const Finding& f) { return f.kind == trap.kind; });
    ASSERT_NE(found, findings.end()) << "found first: " << FindingText(findings[0]);
    EXPECT_EQ(found->begin, static_cast<int>(line.find(Gbk(trap.at))));
    EXPECT_GT(found->end, found->begin);
    EXPECT_FALSE(FindingText(*found).empty());
    EXPECT_EQ(FindingText(*found).find('%'), std::string::npos);
    if (trap.fixed == nullptr) {
      EXPECT_FALSE(found->fix.has_value());
      continue;
    }
    ASSERT_TRUE(found->fix.has_value());
    const Text fixed = FixedLine(line, *found->fix);
    EXPECT_EQ(Utf8(fixed), trap.fixed);
    EXPECT_THAT(CheckScript(fixed).listed, ::testing::IsEmpty());
  }
}

// The bytes the window holds as characters of their own (gbk_codec.h), in
// order, as their UTF-8.
std::string KeptBytes(const Text& line) {
  const std::string utf8 = GbkToUtf8(line, UndecodableBytes::kKeep);
  std::string kept;
  for (size_t i = 0; i + 2 < utf8.size(); ++i) {
    if (utf8[i] == '\xEF' && (utf8[i + 1] == '\x9E' || utf8[i + 1] == '\x9F'))
      kept += utf8.substr(i, 3);
  }
  return kept;
}

struct StrayByteTrap {
  Text line;
  FindingKind kind;
  Text fixed;
};

// A byte that is not GBK (a lone lead byte, 0x80, 0xFF) beside what a fix
// changes: the fix keeps it as its own byte, and the reader, which takes any
// byte after a lead byte as its trail, finds what was fixed.
TEST(ScriptChecker, AFixKeepsAStrayByteAsItsOwnByte) {
  const Text turn = Gbk("重复 4 【前进 100|右转 1"), close = Gbk("】");
  const StrayByteTrap kTraps[] = {
      {turn + "\x81", kBrackets, turn + "\x81 " + close},
      {turn + "\x81" + close, kBrackets, turn + "\x81" + close + " " + close},
      {Gbk("前进\t100") + "\x81", kSeparator, Gbk("前进 100") + "\x81"},
      {Gbk(" 前进 100") + "\xFF", kLeadingSpace, Gbk("前进 100") + "\xFF"},
      {Gbk("前进  100") + "\x80", kEmptyWord, Gbk("前进 100") + "\x80"},
      {Gbk("重复 4 ［前进 100］") + "\x81", kBracketLookAlike, Gbk("重复 4 【前进 100】") + "\x81"},
      {Gbk("重复 4 【前进 100]") + "\x81", kBracketLookAlike, Gbk("重复 4 【前进 100】") + "\x81"},
      {Gbk("重复 4 】前进 100【") + "\x81", kBrackets, Gbk("重复 4 【前进 100】") + "\x81"},
  };
  for (const StrayByteTrap& trap : kTraps) {
    SCOPED_TRACE(GbkToUtf8(trap.line, UndecodableBytes::kKeep));
    const std::vector<Finding> findings = CheckLine(trap.line);
    const auto found = std::find_if(findings.begin(), findings.end(),
                                    [&](const Finding& f) { return f.kind == trap.kind; });
    ASSERT_NE(found, findings.end());
    ASSERT_TRUE(found->fix.has_value());
    const Text fixed = FixedLine(trap.line, *found->fix);
    EXPECT_EQ(fixed, trap.fixed);
    EXPECT_EQ(KeptBytes(fixed), KeptBytes(trap.line));
    for (const Finding& left : CheckLine(fixed))
      EXPECT_NE(left.kind, trap.kind) << FindingText(left);
  }
}

// A line of a thousand faults lists its first findings and one that counts
// the rest; the fixes are small edits (each finding once held a copy of the
// line, and a line of 40,000 items took gigabytes).
TEST(ScriptChecker, AHugeLineListsItsFirstFindingsAndCountsTheRest) {
  const Text open = Gbk("重复 2 【");
  Text line = open;
  for (int i = 0; i < 1000; ++i) line += "gp 1|";
  line += Gbk("】");
  const std::vector<Finding> findings = CheckLine(line);
  ASSERT_EQ(findings.size(), kFindingsPerLine + 1);
  EXPECT_EQ(findings.capacity(), findings.size());  // the window keeps them for each line
  const int item = static_cast<int>(open.size()) + 5 * static_cast<int>(kFindingsPerLine);
  const Finding& more = findings.back();
  EXPECT_EQ(more.kind, kMoreFindings);
  EXPECT_EQ(more.begin, item);
  EXPECT_EQ(more.end, static_cast<int>(line.size()) - 5);  // the last "gp"
  EXPECT_EQ(FindingText(more), "这一行从这里起还有 900 处问题没有逐一列出。");
  EXPECT_EQ(findings[kFindingsPerLine - 1].begin, item - 5);
  EXPECT_EQ(FixedLine(line, *findings[0].fix).substr(0, open.size() + 10), open + "go 1|gp 1|");
  size_t fix_bytes = 0;
  for (const Finding& finding : findings) fix_bytes += finding.fix ? finding.fix->with.size() : 0;
  EXPECT_LE(fix_bytes, 2 * kFindingsPerLine);
}

// Forms the reader accepts as the learner wrote them.
TEST(ScriptChecker, LeavesAcceptedFormsAlone) {
  const char* kFine[] = {
      "前进 100",
      "go 100",
      "前进 １００",
      "前进 100 //向前",
      " //注释",
      "",
      "次数 3",
      "count 2",
      "重复 4【前进 100】",
      "重复 4 【前进 100|右转 90】 //方形",
      "重复 2 【前进 1||右转 2|】",
      "画正多边形 0 100",
      "画正多边形 5 100",
      "写文字 你好",
      "前进 100abc",
      "延时 -5",
      "回家 10",
      "重复 1 【 //注释】",
      "画圆 -3",
      "写文字 你好，",
      "前进 100 步",
      "画椭圆 80， 40",
      "画正多边形 5 100 //星",
  };
  for (const char* line : kFine) {
    SCOPED_TRACE(line);
    const std::vector<Finding> findings = CheckLine(Gbk(line));
    EXPECT_THAT(findings, ::testing::IsEmpty())
        << (findings.empty() ? "" : FindingText(findings[0]));
  }
}

TEST(ScriptChecker, OnlyTheFirstCountLineIsRead) {
  const std::vector<ScriptFinding> findings =
      CheckScript(Gbk("次数 2\r\n前进 1\r\n次数\r\n次数 5")).listed;
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].line, 3);
  EXPECT_EQ(findings[0].finding.kind, kCountIgnored);
  EXPECT_EQ(findings[1].line, 4);
}

// A character GBK cannot hold is marked on its own line, where it was typed,
// comments included (the save loses it there too); a typed '?' is not.
TEST(ScriptChecker, MarksEachCharacterGbkCannotHoldOnItsLine) {
  const std::string utf8 = "前进 100?\r\n写文字 😀好\r //注释 𠀀\n右转 90";
  const std::vector<LostInLine> lost = LostCharactersByLine(utf8);
  ASSERT_EQ(lost.size(), 2u);
  EXPECT_EQ(lost[0].line, 2);
  EXPECT_EQ(lost[1].line, 3);
  const Text script = ScriptFromFileBytes(Utf8ToGbk(utf8));
  const std::vector<ScriptFinding> findings = CheckScript(script, SIZE_MAX, lost).listed;
  std::vector<std::tuple<int, int, std::string>> marked;
  for (const ScriptFinding& found : findings) {
    if (found.finding.kind != kNotInGbk) continue;
    marked.emplace_back(found.line, found.finding.begin, FindingText(found.finding));
  }
  ASSERT_EQ(marked.size(), 2u);
  EXPECT_EQ(marked[0],
            (std::tuple{2, 7, "“😀”无法用 GBK 保存：运行和保存时都会变成“?”，请换成别的字。"s}));
  EXPECT_EQ(std::get<0>(marked[1]), 3);
  EXPECT_EQ(std::get<1>(marked[1]), 8);
  EXPECT_TRUE(LostCharactersByLine("前进 100\r\n写文字 好").empty());
}

Text ReadScript(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return ScriptFromFileBytes(std::string_view(bytes.str()));
}

bool EndsWell(const fs::path& script) {
  fs::path hint = script;
  hint.replace_extension(".hint");
  std::ifstream file(hint);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str().ends_with("程序调试完毕！\n");
}

TEST(ScriptChecker, FindsNothingInScriptsThatRunAsMeant) {
  std::vector<fs::path> scripts;
  const fs::path root(DRAVEL_SOURCE_DIR);
  for (const fs::path& folder : {root / "bench/data", root / "resources/examples"}) {
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".dvg") scripts.push_back(entry.path());
  }
  for (const auto& entry : fs::directory_iterator(root / "tests/data/language"))
    if (entry.path().extension() == ".dvg" && EndsWell(entry.path()))
      scripts.push_back(entry.path());
  // The scripts dravel-render's tests run to their end (the class's broken one fails).
  for (const fs::path& folder : {root / "tests/data/render", root / "tests/data/class"}) {
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".dvg" && entry.path().stem() != "broken")
        scripts.push_back(entry.path());
  }
  scripts.push_back(root / "resources/texts/example_script.txt");
  ASSERT_GE(scripts.size(), 30u);
  for (const fs::path& path : scripts) {
    SCOPED_TRACE(path.string());
    const std::vector<ScriptFinding> findings = CheckScript(ReadScript(path)).listed;
    EXPECT_THAT(findings, ::testing::IsEmpty())
        << (findings.empty() ? "" : FindingText(findings[0].finding));
  }
}

TEST(Examples, EveryExampleRunsToItsClosingMessage) {
  int examples = 0;
  for (const auto& entry :
       fs::directory_iterator(fs::path(DRAVEL_SOURCE_DIR) / "resources/examples")) {
    SCOPED_TRACE(entry.path().string());
    const Text script = ReadScript(entry.path());
    testing::CountingTurtle turtle;
    testing::RecordingHost host(script);
    RunContext context{turtle, host, {}};
    context.keep_delays = false;
    RunScript({script, "1"}, context);
    EXPECT_TRUE(host.HintUtf8().ends_with("程序调试完毕！\r\n")) << host.HintUtf8();
    EXPECT_GT(turtle.Count(), 0);
    ++examples;
  }
  EXPECT_GE(examples, 15);
}

TEST(ScriptChecker, SuggestsOnlyKeywordsNearEnough) {
  EXPECT_EQ(NearestKeyword(Gbk("前近")), Gbk("前进"));
  EXPECT_EQ(NearestKeyword("GO"), "go");
  EXPECT_EQ(NearestKeyword("rectangel"), "rectangle");
  EXPECT_EQ(NearestKeyword(Gbk("你好")), std::nullopt);
  EXPECT_EQ(NearestKeyword("x"), std::nullopt);
}

}  // namespace
}  // namespace dravel
