#include "runtime/value.h"

#include <locale.h>
#include <algorithm>
#include <bit>
#include <cstdlib>

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

uint32_t Low32(uint64_t bits) { return static_cast<uint32_t>(bits); }

// Truncates toward zero and keeps the low 32 bits; values outside the
// 64-bit range and NaN give 0, as the processor's conversion does.
int32_t TruncateToInt32(double d) {
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return 0;
  return static_cast<int32_t>(Low32(static_cast<uint64_t>(static_cast<int64_t>(d))));
}

size_t FixedSize(TypeWord type) {
  switch (type) {
    case TypeWord::kByte: return 1;
    case TypeWord::kShort: return 2;
    case TypeWord::kInteger:
    case TypeWord::kLogical:
    case TypeWord::kFloat:
    case TypeWord::kSubroutine: return 4;
    case TypeWord::kLong:
    case TypeWord::kDouble:
    case TypeWord::kDateTime: return 8;
    default: return 0;
  }
}

}  // namespace

bool IsNumericType(TypeWord type) { return (static_cast<uint32_t>(type) & 0xFF) == 0x01; }

Value Value::Byte(uint8_t v) { return Value(TypeWord::kByte, v); }
Value Value::Short(int16_t v) { return Value(TypeWord::kShort, static_cast<uint16_t>(v)); }
Value Value::Integer(int32_t v) { return Value(TypeWord::kInteger, static_cast<uint32_t>(v)); }
Value Value::Long(int64_t v) { return Value(TypeWord::kLong, static_cast<uint64_t>(v)); }
Value Value::Float(float v) { return Value(TypeWord::kFloat, std::bit_cast<uint32_t>(v)); }
Value Value::Double(double v) { return Value(TypeWord::kDouble, std::bit_cast<uint64_t>(v)); }
Value Value::Logical(bool v) { return Value(TypeWord::kLogical, v ? 1 : 0); }
Value Value::DateTime(double d) { return Value(TypeWord::kDateTime, std::bit_cast<uint64_t>(d)); }
Value Value::Subroutine(uint32_t address) { return Value(TypeWord::kSubroutine, address); }

Value Value::FromText(std::string_view gbk) {
  Value value(TypeWord::kText, 0);
  value.bytes_.assign(gbk);
  return value;
}

Value Value::FromBytes(std::span<const uint8_t> bytes) {
  Value value(TypeWord::kByteSet, 0);
  value.bytes_.assign(bytes.begin(), bytes.end());
  return value;
}

Value Value::Array(TypeWord element_type, std::span<const uint8_t> element_bytes) {
  Value value = FromBytes(element_bytes);
  value.type_ = element_type;
  value.array_ = true;
  return value;
}

namespace {

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

double ToNumber(const Value& value) {
  if (value.IsArray()) return 0;
  uint64_t bits = value.bits();
  switch (value.Type()) {
    case TypeWord::kText: return ToNumber(value.Bytes());
    case TypeWord::kByte: return static_cast<uint8_t>(bits);
    case TypeWord::kShort: return static_cast<int16_t>(bits);
    case TypeWord::kInteger: return static_cast<int32_t>(Low32(bits));
    case TypeWord::kLong: return static_cast<double>(static_cast<int64_t>(bits));
    case TypeWord::kFloat: return std::bit_cast<float>(Low32(bits));
    case TypeWord::kDouble: return std::bit_cast<double>(bits);
    case TypeWord::kLogical: return Low32(bits) != 0 ? 1 : 0;
    case TypeWord::kSubroutine: return Low32(bits);
    default: return 0;
  }
}

int32_t ToInteger(const Value& value) {
  if (value.IsArray()) return 0;
  uint64_t bits = value.bits();
  switch (value.Type()) {
    case TypeWord::kText: return ToInteger(value.Bytes());
    case TypeWord::kByte: return static_cast<uint8_t>(bits);
    case TypeWord::kShort: return static_cast<int16_t>(bits);
    case TypeWord::kInteger:
    case TypeWord::kLogical:
    case TypeWord::kSubroutine:
    case TypeWord::kLong: return static_cast<int32_t>(Low32(bits));
    case TypeWord::kFloat: return TruncateToInt32(std::bit_cast<float>(Low32(bits)));
    case TypeWord::kDouble: return TruncateToInt32(std::bit_cast<double>(bits));
    default: return 0;
  }
}

ByteSet ToByteSet(const Value& value) {
  const std::string& bytes = value.Bytes();
  if (value.IsArray()) {
    return IsNumericType(value.Type()) ? ByteSet(bytes.begin(), bytes.end()) : ByteSet();
  }
  if (value.Type() == TypeWord::kText) {
    std::string_view text = UpToZero(bytes);
    return ByteSet(text.begin(), text.end());
  }
  if (value.Type() == TypeWord::kByteSet) return ByteSet(bytes.begin(), bytes.end());
  ByteSet out(FixedSize(value.Type()));
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(value.bits() >> (8 * i));
  return out;
}

}  // namespace dravel
