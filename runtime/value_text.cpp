// ToText: numbers, logicals and date-times written as texts, independent of
// the process locale.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "runtime/system_text.h"
#include "runtime/value.h"

namespace dravel {
namespace {

const Text kTrue = SystemText("真");
const Text kFalse = SystemText("假");
const Text kYear = SystemText("年");
const Text kMonth = SystemText("月");
const Text kDay = SystemText("日");
const Text kHour = SystemText("时");
const Text kMinute = SystemText("分");
const Text kSecond = SystemText("秒");

// The range of dates the date-time type holds: years 100 to 9999.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958466.0;
constexpr int64_t kDaysFrom1970ToBase = -25569;  // 30 December 1899
constexpr int kSecondsPerDay = 86400;

// "%.*g" in the "C" locale.
Text FormatGeneral(double value, int precision) {
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return Text(buffer, result.ptr);
}

struct CivilDate {
  int64_t year;
  int month;
  int day;
};

// The proleptic Gregorian date of a day counted from 1 January 1970.
CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t day_of_era = days - era * 146097;
  int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  int64_t mp = (5 * day_of_year + 2) / 153;
  int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {era * 400 + year_of_era + (month <= 2 ? 1 : 0), month, day};
}

// The date part counts days from the base date toward negative values too;
// the fraction is always the time after midnight of that day.
Text DateTimeText(double ole_date) {
  if (!(ole_date >= kFirstDate && ole_date < kLastDate)) return {};
  double whole = std::trunc(ole_date);
  auto seconds = static_cast<int>(std::lround(std::fabs(ole_date - whole) * kSecondsPerDay));
  int64_t day = static_cast<int64_t>(whole) + seconds / kSecondsPerDay;
  seconds %= kSecondsPerDay;
  CivilDate date = CivilFromDays(day + kDaysFrom1970ToBase);
  int hour = seconds / 3600;
  int minute = seconds / 60 % 60;
  int second = seconds % 60;
  Text out = std::to_string(date.year) + kYear + std::to_string(date.month) + kMonth +
             std::to_string(date.day) + kDay;
  if (second == 0 && minute == 0 && hour == 0) return out;
  out += std::to_string(hour) + kHour;
  if (second == 0 && minute == 0) return out;
  out += std::to_string(minute) + kMinute;
  if (second == 0) return out;
  return out + std::to_string(second) + kSecond;
}

}  // namespace

Text ToText(int32_t value) { return std::to_string(value); }

Text ToText(double value) { return FormatGeneral(value, 13); }

Text ToText(const Value& value) {
  uint64_t bits = value.bits();
  if (value.IsArray()) {
    return IsNumericType(value.Type()) ? Text(UpToZero(value.Bytes())) : Text();
  }
  switch (value.Type()) {
    case TypeWord::kByte: return std::to_string(static_cast<uint8_t>(bits));
    case TypeWord::kShort: return std::to_string(static_cast<int16_t>(bits));
    case TypeWord::kInteger: return std::to_string(static_cast<int32_t>(bits));
    case TypeWord::kLong: return std::to_string(static_cast<int64_t>(bits));
    case TypeWord::kFloat:
      return FormatGeneral(std::bit_cast<float>(static_cast<uint32_t>(bits)), 6);
    case TypeWord::kDouble: return ToText(std::bit_cast<double>(bits));
    case TypeWord::kLogical: return static_cast<uint32_t>(bits) != 0 ? kTrue : kFalse;
    case TypeWord::kDateTime: return DateTimeText(std::bit_cast<double>(bits));
    case TypeWord::kText:
    case TypeWord::kByteSet: return Text(UpToZero(value.Bytes()));
    default: return {};
  }
}

}  // namespace dravel
