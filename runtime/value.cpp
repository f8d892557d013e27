#include "runtime/value.h"

#include <locale.h>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>

namespace dravel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  return pos;
}

size_t SkipDigits(std::string_view text, size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// The end of the exponent that begins at `pos`, or `pos` when none does.
size_t ExponentEnd(std::string_view text, size_t pos) {
  if (pos >= text.size() || std::string_view("eEdD").find(text[pos]) == std::string_view::npos) {
    return pos;
  }
  size_t digits = pos + 1;
  if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
  size_t end = SkipDigits(text, digits);
  return end > digits ? end : pos;
}

// Converts an already validated decimal number under the "C" locale, so a
// comma-decimal process locale cannot change the reading.
double ParseDecimal(std::string number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  for (char& c : number) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  return strtod_l(number.c_str(), nullptr, c_locale);
}

// Where the number ToNumber reads in `s` (folded) begins and ends; begin ==
// end when there is none.
std::pair<size_t, size_t> NumberSpan(std::string_view s) {
  size_t begin = SkipSpace(s, 0);
  size_t pos = begin;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
  size_t end = SkipDigits(s, pos);
  size_t digits = end - pos;
  if (end < s.size() && s[end] == '.') {
    size_t fraction_end = SkipDigits(s, end + 1);
    digits += fraction_end - end - 1;
    end = fraction_end;
  }
  if (digits == 0) return {begin, begin};
  return {begin, ExponentEnd(s, end)};
}

// Where the digits ToInteger reads in `s` (folded) begin, after a sign.
size_t IntegerDigits(std::string_view s, bool& negative) {
  size_t pos = SkipSpace(s, 0);
  negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
  return pos;
}

}  // namespace

double ToNumber(std::string_view text) {
  const Text folded = FoldFullWidth(text);
  const auto [begin, end] = NumberSpan(folded);
  if (begin == end) return 0;
  return ParseDecimal(folded.substr(begin, end - begin));
}

bool HasNumber(std::string_view text) {
  const auto [begin, end] = NumberSpan(FoldFullWidth(text));
  return begin != end;
}

bool IsWholeNumber(std::string_view text) {
  const Text folded = FoldFullWidth(text);
  const auto [begin, end] = NumberSpan(folded);
  return begin != end && end == folded.size();
}

int32_t LeadingInteger(std::string_view text) {
  bool negative = false;
  int64_t magnitude = 0;
  constexpr int64_t kPastBound = int64_t{1} << 32;  // saturated: past both bounds
  for (size_t pos = IntegerDigits(text, negative); pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = std::min(kPastBound, magnitude * 10 + (text[pos] - '0'));
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t ToInteger(std::string_view text) {
  const Text folded = FoldFullWidth(text);
  const std::string_view s = folded;
  bool negative = false;
  uint32_t value = 0;  // wraps silently, as 32-bit accumulation does
  for (size_t pos = IntegerDigits(s, negative); pos < s.size() && IsDigit(s[pos]); ++pos) {
    value = value * 10 + (s[pos] - '0');
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

bool HasInteger(std::string_view text) {
  const Text folded = FoldFullWidth(text);
  bool negative = false;
  const size_t pos = IntegerDigits(folded, negative);
  return pos < folded.size() && IsDigit(folded[pos]);
}

Text ToText(int32_t value) { return std::to_string(value); }

// std::to_chars never consults the locale.
Text ToText(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  return Text(buffer, result.ptr);
}

}  // namespace dravel
