#include "runtime/value.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

using namespace std::string_literals;

Text G(std::string_view utf8) { return Utf8ToGbk(utf8); }

struct ReaderCase {
  Text text;
  double number;
  int32_t integer;
};

const ReaderCase kReaderCases[] = {
    {G("１２３"), 123, 123},
    {G("－５"), -5, -5},
    {G("１．５"), 1.5, 1},
    {"-2.5e1x", -25, -2},
    {"  -42abc", -42, -42},
    {G("4【前进"), 4, 4},
    {"3.9", 3.9, 3},
    {"1e3", 1000, 1},
    {"1E+2", 100, 1},
    {"2.5d2", 250, 2},
    {"1e", 1, 1},
    {"1e-", 1, 1},
    {"12abc", 12, 12},
    {" 7", 7, 7},
    {"\t\r\n\v\f8", 8, 8},
    {"+5", 5, 5},
    {".5", 0.5, 0},
    {"5.", 5, 5},
    {"-", 0, 0},
    {".", 0, 0},
    {"", 0, 0},
    {"abc", 0, 0},
    {"inf", 0, 0},
    {"0x10", 0, 0},
    {"1,5", 1, 1},
    {"- 5", 0, 0},
    {G("　９"), 9, 9},
    {"2147483647", 2147483647.0, 2147483647},
    {"2147483648", 2147483648.0, INT32_MIN},
    {"-2147483649", -2147483649.0, INT32_MAX},
    {"4294967301", 4294967301.0, 5},
    {"7\0"
     "9"s,
     7, 7},
};

TEST(NumberReaders, ReadTheLeadingNumber) {
  for (const ReaderCase& c : kReaderCases) {
    SCOPED_TRACE(GbkToUtf8(c.text));
    EXPECT_DOUBLE_EQ(ToNumber(c.text), c.number);
    EXPECT_EQ(ToInteger(c.text), c.integer);
  }
}

// What the editors colour as a number: the run reads all of the word.
TEST(IsWholeNumber, OnlyWhenTheRunReadsAllOfIt) {
  const struct {
    std::string text;
    bool whole;
  } kCases[] = {
      {"100", true},  {"-5", true},     {"+3", true},    {"1.5", true},         {".5", true},
      {"5.", true},   {"1e3", true},    {"2.5d2", true}, {G("１００"), true},   {G("－５"), true},
      {"1e", false},  {"12abc", false}, {".", false},    {"-", false},          {"", false},
      {"inf", false}, {"0x10", false},  {"1,5", false},  {G("4【前进"), false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(GbkToUtf8(c.text));
    EXPECT_EQ(IsWholeNumber(c.text), c.whole);
  }
}

TEST(NumberReaders, SurviveHugeAndLongInput) {
  EXPECT_EQ(ToNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ToNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ToNumber("1e-999"), 0);
  EXPECT_EQ(ToNumber("1e99999999999999999999999"), std::numeric_limits<double>::infinity());
  Text digits(100000, '9');
  EXPECT_EQ(ToNumber(digits), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ToInteger(digits), -1);  // (10^100000 - 1) mod 2^32
}

TEST(ToText, WritesDoublesWithThirteenDigits) {
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {900.0 / 7, "128.5714285714"},
      {90.0, "90"},
      {-0.25, "-0.25"},
      {0.5, "0.5"},
      {144, "144"},
      {154.28571428571428, "154.2857142857"},
      {1234567890123.0, "1234567890123"},
      {1e13, "1e+13"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {0, "0"},
      {-1e300, "-1e+300"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(ToText(c.value), c.expected);
  }
  EXPECT_EQ(ToText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_NE(ToText(std::nan("")).find("nan"), Text::npos);
}

// Restores the "C" locale however the test ends.
class CommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8",
                             "zh_CN.UTF-8", "de_DE", "nl_NL.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',') {
        return;
      }
    }
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no comma-decimal locale installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, NumbersReadAndWriteWithAPoint) {
  EXPECT_EQ(ToNumber("2.5"), 2.5);
  EXPECT_EQ(ToNumber("2,5"), 2);
  EXPECT_EQ(ToText(2.5), "2.5");
  EXPECT_EQ(ToText(900.0 / 7), "128.5714285714");
}

}  // namespace
}  // namespace dravel
