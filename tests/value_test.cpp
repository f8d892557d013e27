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
    EXPECT_DOUBLE_EQ(ToNumber(Value::FromText(c.text)), c.number);
    EXPECT_EQ(ToInteger(Value::FromText(c.text)), c.integer);
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
    EXPECT_EQ(ToText(Value::Double(c.value)), c.expected);
  }
  EXPECT_EQ(ToText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_NE(ToText(std::nan("")).find("nan"), Text::npos);
}

TEST(ToText, WritesEachTypeInItsForm) {
  EXPECT_EQ(ToText(Value::Byte(200)), "200");
  EXPECT_EQ(ToText(Value::Short(-2)), "-2");
  EXPECT_EQ(ToText(Value::Integer(INT32_MIN)), "-2147483648");
  EXPECT_EQ(ToText(Value::Long(-9000000000LL)), "-9000000000");
  EXPECT_EQ(ToText(Value::Float(1.0f / 3)), "0.333333");
  EXPECT_EQ(ToText(Value::Float(2.5f)), "2.5");
  EXPECT_EQ(ToText(Value::Logical(true)), G("真"));
  EXPECT_EQ(ToText(Value::Logical(false)), G("假"));
  EXPECT_EQ(ToText(Value::FromText("ab\0c"s)), "ab");
  EXPECT_EQ(ToText(Value::FromBytes(ByteSet{'h', 'i', 0, 'x'})), "hi");
  EXPECT_EQ(ToText(Value::Array(TypeWord::kByte, ByteSet{'o', 'k'})), "ok");
  EXPECT_EQ(ToText(Value::Subroutine(5)), "");
  EXPECT_EQ(ToText(Value()), "");
  EXPECT_EQ(ToText(int32_t{-17}), "-17");
}

TEST(ToText, WritesDateTimesDownToTheLastNonZeroPart) {
  struct Case {
    double date;
    const char* expected;
  } cases[] = {
      {0, "1899年12月30日"},
      {2.5, "1900年1月1日12时"},
      {-1.25, "1899年12月29日6时"},
      {-0.5, "1899年12月30日12时"},
      {45000.75, "2023年3月15日18时"},
      {36526 + 3723.0 / 86400, "2000年1月1日1时2分3秒"},
      {36526 + 1800.0 / 86400, "2000年1月1日0时30分"},
      {36526 + 5.0 / 86400, "2000年1月1日0时0分5秒"},
      {36526.9999999, "2000年1月2日"},
      {2958465.0, "9999年12月31日"},
      {-657434.0, "100年1月1日"},
      {1e300, ""},
      {std::nan(""), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(GbkToUtf8(ToText(Value::DateTime(c.date))), c.expected);
  }
}

TEST(ToInteger, TruncatesAndWrapsNumbers) {
  EXPECT_EQ(ToInteger(Value::Double(-3.9)), -3);
  EXPECT_EQ(ToInteger(Value::Double(4294967301.0)), 5);
  EXPECT_EQ(ToInteger(Value::Double(1e20)), 0);
  EXPECT_EQ(ToInteger(Value::Double(std::nan(""))), 0);
  EXPECT_EQ(ToInteger(Value::Float(-2.5f)), -2);
  EXPECT_EQ(ToInteger(Value::Long(0x100000005LL)), 5);
  EXPECT_EQ(ToInteger(Value::Byte(255)), 255);
  EXPECT_EQ(ToInteger(Value::Short(-300)), -300);
  EXPECT_EQ(ToInteger(Value::Logical(true)), 1);
  EXPECT_EQ(ToInteger(Value::DateTime(3.0)), 0);
  EXPECT_EQ(ToInteger(Value()), 0);
}

TEST(ToNumber, GivesNumericValuesExactly) {
  EXPECT_EQ(ToNumber(Value::Long(-9000000000LL)), -9000000000.0);
  EXPECT_EQ(ToNumber(Value::Float(0.1f)), static_cast<double>(0.1f));
  EXPECT_EQ(ToNumber(Value::Subroutine(0xFFFFFFFFu)), 4294967295.0);
  EXPECT_EQ(ToNumber(Value::Logical(true)), 1);
  EXPECT_EQ(ToNumber(Value::Array(TypeWord::kByte, ByteSet{'7'})), 0);
  EXPECT_EQ(ToNumber(Value::FromBytes(ByteSet{'7'})), 0);
}

TEST(ToByteSet, GivesInMemoryBytes) {
  EXPECT_EQ(ToByteSet(Value::FromText("ab\0c"s)), (ByteSet{'a', 'b'}));
  EXPECT_EQ(ToByteSet(Value::FromBytes(ByteSet{1, 0, 2})), (ByteSet{1, 0, 2}));
  EXPECT_EQ(ToByteSet(Value::Integer(0x01020304)), (ByteSet{4, 3, 2, 1}));
  EXPECT_EQ(ToByteSet(Value::Short(-2)), (ByteSet{0xFE, 0xFF}));
  EXPECT_EQ(ToByteSet(Value::Double(1.0)), (ByteSet{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(ToByteSet(Value::Array(TypeWord::kInteger, ByteSet{1, 0, 0, 0})),
            (ByteSet{1, 0, 0, 0}));
  EXPECT_EQ(ToByteSet(Value::Array(TypeWord::kText, ByteSet{1})), ByteSet{});
  EXPECT_EQ(ToByteSet(Value::FromText("")), ByteSet{});
  EXPECT_EQ(ToByteSet(Value()), ByteSet{});
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
  EXPECT_EQ(ToText(Value::Float(0.5f)), "0.5");
  EXPECT_EQ(ToText(900.0 / 7), "128.5714285714");
}

}  // namespace
}  // namespace dravel
