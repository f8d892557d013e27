#include "runtime/text.h"

#include <gtest/gtest.h>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

using namespace std::string_literals;

Text G(std::string_view utf8) { return Utf8ToGbk(utf8); }

// 前 is C7 B0, 进 is BD F8; 丂 is 81 40 and 丄 is 81 41 ('A' as trail byte).
const Text kQian = "\xc7\xb0";
const Text kJin = "\xbd\xf8";

TEST(FindText, FollowsPositionRules) {
  struct Case {
    Text text, search;
    std::optional<int> start;
    bool ignore_case;
    int expected;
  } cases[] = {
      {G("前进 100"), G("进"), {}, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 3, false, 3},
      {"abc", "x", {}, false, -1},
      {"abc", "", {}, false, 1},
      {"abc", "", 3, false, 1},
      {"", "", {}, false, -1},
      {"abc", "", 4, false, -1},
      {"abc", "a", 9, false, -1},
      {"abc", "a", -5, false, 1},
      {"abc", "a", INT32_MIN, false, 1},
      {"abc", "abcd", {}, false, -1},
      {"aBc", "BC", {}, false, -1},
      {"aBc", "bC", {}, true, 2},
      {"ab\0cd"s, "c", {}, false, -1},
      {"abc", "c\0zz"s, {}, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GbkToUtf8(c.text) + " / " + GbkToUtf8(c.search));
    EXPECT_EQ(FindText(c.text, c.search, c.start, c.ignore_case), c.expected);
  }
}

TEST(FindText, NeverMatchesOnATrailByte) {
  EXPECT_EQ(FindText(kQian + kJin, "\xb0"), -1);
  EXPECT_EQ(FindText(kQian + kJin, "\xb0\xbd"), -1);
  EXPECT_EQ(FindText("\x81\x41", "A"), -1);
  EXPECT_EQ(FindText("\x81\x41"
                     "A",
                     "A"),
            3);
  EXPECT_EQ(FindText(kQian + "\xb0", "\xb0"), 3);
}

TEST(FindText, IgnoringCaseKeepsDoubleByteCharactersApart) {
  // 丄 (81 41) and 乤 (81 61) differ only in an ASCII-looking trail byte.
  EXPECT_EQ(FindText("x\x81\x41", "\x81\x61", {}, true), -1);
  EXPECT_EQ(FindText("x\x81\x41"
                     "A",
                     "\x81\x41"
                     "a",
                     {}, true),
            2);
}

TEST(ReplaceText, FollowsCountStartAndCaseRules) {
  struct Case {
    Text text, search;
    std::optional<Text> replacement;
    std::optional<int> start, count;
    bool case_sensitive;
    Text expected;
  } cases[] = {
      {G("a#引号b"), G("#引号"), "\"", {}, {}, true, "a\"b"},
      {G("停止\r\n前进 10"), G("停止"), "", {}, {}, true, "\r\n" + G("前进 10")},
      {"stop STOP Stop", "stop", "", {}, {}, true, " STOP Stop"},
      {"stop STOP Stop", "stop", "x", {}, {}, false, "x x x"},
      {"aaaa", "a", "b", {}, 2, false, "bbaa"},
      {"aaaa", "a", "b", {}, -7, false, "bbbb"},
      {"aaaa", "a", "b", {}, 0, false, "aaaa"},
      {"aaaa", "a", "b", 3, {}, false, "aabb"},
      {"aaaa", "a", "b", 5, {}, false, "aaaa"},
      {"aaaa", "a", "b", -3, 1, false, "baaa"},
      {"aaa", "aa", "b", {}, {}, false, "ba"},
      {"abc", "b", {}, {}, {}, false, "ac"},
      {"abc", "", "x", {}, {}, false, "abc"},
      {"", "a", "x", {}, {}, false, ""},
      {"abab", "ab", "", {}, {}, true, ""},
      {"abc\0abc"s, "c", "!", {}, {}, true, "ab!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GbkToUtf8(c.text) + " / " + GbkToUtf8(c.search));
    std::optional<std::string_view> replacement;
    if (c.replacement) replacement = *c.replacement;
    EXPECT_EQ(ReplaceText(c.text, c.search, replacement, c.start, c.count, c.case_sensitive),
              c.expected);
  }
}

TEST(ReplaceText, SkipsTrailBytesAndDropsALoneLeadByteAtTheEnd) {
  EXPECT_EQ(ReplaceText(kQian + kJin, "\xb0", "x", {}, {}, true), kQian + kJin);
  EXPECT_EQ(ReplaceText("\x81\x41"
                        "A",
                        "a", "x"),
            "\x81\x41"
            "x");
  EXPECT_EQ(ReplaceText("ab\xc7", "x", "y"), "ab");
  // The lone lead byte is only reached while the search text still fits.
  EXPECT_EQ(ReplaceText("ab\xc7", "xy", "z"), "ab\xc7");
}

TEST(SplitText, KeepsEmptyPiecesButNoTrailingOne) {
  using Pieces = std::vector<Text>;
  struct Case {
    Text text;
    std::optional<Text> separator;
    std::optional<int> maximum;
    Pieces expected;
  } cases[] = {
      {"a\r\n\r\nb", "\r\n", {}, {"a", "", "b"}},
      {"a\r\nb\r\n", "\r\n", {}, {"a", "b"}},
      {"\r\nb", "\r\n", {}, {"", "b"}},
      {"\r\n\r\n", "\r\n", {}, {"", ""}},
      {"a\r", "\r\n", {}, {"a\r"}},
      {"", "\r\n", {}, {}},
      {"a,b,c", {}, 2, {"a", "b"}},
      {"a,b,c", {}, 3, {"a", "b", "c"}},
      {"a,b,c", {}, 0, {}},
      {"a,b,c", {}, -1, {}},
      {"a,b,c", {}, {}, {"a", "b", "c"}},
      {"a,b", "", {}, {"a,b"}},
      {G("前进 100"), " ", {}, {G("前进"), "100"}},
      {G("前进  100"), " ", {}, {G("前进"), "", "100"}},
      {"100 ", " ", {}, {"100"}},
      {" go", " ", {}, {"", "go"}},
      {"a|B|b", "b", {}, {"a|B|"}},
      {"a,b\0,c"s, ",", {}, {"a", "b"}},
      {"a,\xc7", ",", {}, {"a", "\xc7"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GbkToUtf8(c.text));
    std::optional<std::string_view> separator;
    if (c.separator) separator = *c.separator;
    EXPECT_EQ(SplitText(c.text, separator, c.maximum), c.expected);
  }
}

TEST(SplitText, NeverSplitsInsideADoubleByteCharacter) {
  // 前 is C7 B0; B0 as a separator must not cut it.
  EXPECT_EQ(SplitText(kQian + "a\xb0"
                              "b",
                      "\xb0"),
            (std::vector<Text>{kQian + "a", "b"}));
  // 丄 is 81 41; "A|" must not match across its trail byte.
  EXPECT_EQ(SplitText("\x81\x41|x", "A|"), std::vector<Text>{"\x81\x41|x"});
}

TEST(TextCut, ClipsToTheText) {
  EXPECT_EQ(TextMiddle("abc", 0, 2), "");
  EXPECT_EQ(TextMiddle("abc", 4, 1), "");
  EXPECT_EQ(TextMiddle("abcdef", 5, 10), "ef");
  EXPECT_EQ(TextMiddle("abcdef", 2, 0), "");
  EXPECT_EQ(TextMiddle("abcdef", INT32_MIN, 3), "");
  EXPECT_EQ(TextMiddle("abcdef", 2, INT32_MAX), "bcdef");
  EXPECT_EQ(TextLength("ab\0cd"s), 2);
}

TEST(FoldFullWidth, TurnsFullWidthFormsIntoAscii) {
  EXPECT_EQ(FoldFullWidth(G("１２３")), "123");
  EXPECT_EQ(FoldFullWidth(G("－５．５")), "-5.5");
  EXPECT_EQ(FoldFullWidth(G("　～☆★！～")), " ~**!~");
  EXPECT_EQ(FoldFullWidth(G("前进１")), G("前进") + "1");
  EXPECT_EQ(FoldFullWidth("1\xa3"), "1");
}

}  // namespace
}  // namespace dravel
