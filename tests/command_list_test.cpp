#include "interpreter/command_list.h"

#include <gtest/gtest.h>

#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

using testing::Gbk;

TEST(SplitLines, KeepsEmptyMiddleLinesAndDropsTheFinalBreak) {
  const struct {
    std::string_view script;
    CommandList lines;
  } cases[] = {
      {"", {}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"\r\nb", {"", "b"}},
      {"a\nb\rc", {"a\nb\rc"}},  // a lone LF or CR stays in its line
      {"a\r\n\r\n", {"a", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.script)));
    EXPECT_EQ(SplitLines(c.script), c.lines);
  }
}

TEST(SplitWords, SplitsAtEverySingleSpace) {
  const struct {
    std::string_view line;
    std::vector<Text> words;
  } cases[] = {
      {"go 100", {"go", "100"}},
      {"go  100", {"go", "", "100"}},
      {" go", {"", "go"}},
      {"go ", {"go"}},
      {" ", {""}},
      {"go\t100", {"go\t100"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.line)));
    EXPECT_EQ(SplitWords(c.line), c.words);
  }
  // The ideographic space is a character of the word, not a separator.
  EXPECT_EQ(SplitWords(Gbk("前进　100")).size(), 1u);
}

TEST(TextBetween, TakesTheFirstBodyOfTheLine) {
  const Text open = Gbk("【"), close = Gbk("】");
  const struct {
    const char* line;
    const char* body;
  } cases[] = {
      {"重复 4 【前进 100|右转 90】", "前进 100|右转 90"},
      {"重复 3 【】", ""},
      {"重复 3 前进 10", ""},
      {"重复 3 【前进 10", ""},
      {"重复 3 】前进 10【", ""},
      {"重复 3 【重复 2 【前进 10】|右转 120】", "重复 2 【前进 10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TextBetween(Gbk(c.line), open, close), Gbk(c.body));
  }
}

TEST(TextBetween, ReadsQuoteNameAndStartPosition) {
  const Text quote_name = Gbk("#引号");
  EXPECT_EQ(TextBetween("say \"hi\" now", quote_name, quote_name), "hi");
  EXPECT_EQ(TextBetween("<a><b>", "<", ">", 4), "b");
  EXPECT_EQ(TextBetween("xAyyBx", "a", "b"), "yy");
  EXPECT_EQ(TextBetween("xAyyBx", "a", "b", 0, true), "");
}

TEST(TextBetween, NeverMatchesOnATrailByte) {
  // 0x81 0x40 is one character whose trail byte is '@'.
  const Text text =
      "\x81\x40"
      "x@body#";
  EXPECT_EQ(TextBetween(text, "@", "#"), "body");
}

TEST(ScriptFromFileBytes, NormalisesBreaksAndStopsAtZero) {
  const struct {
    std::string bytes;
    std::string script;
  } cases[] = {
      {"a\r\nb", "a\r\nb"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\rb", "a\r\nb"},
      {"a\n\r\nb", "a\r\n\r\nb"},
      {"a\r\rb", "a\r\n\r\nb"},
      {std::string("a\0b", 3), "a"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(ScriptFromFileBytes(std::string_view(c.bytes)), c.script);
  }
}

}  // namespace
}  // namespace dravel
