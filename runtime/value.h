// The typed argument of a runtime command (`Value`, `TypeWord`) and the
// conversions between values, numbers, texts and byte blocks. The readers and
// writers of numbers never consult the process locale: '2.5' is two and a
// half under every locale, and a double is written with a '.'.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace dravel {

using ByteSet = std::vector<uint8_t>;

enum class TypeWord : uint32_t {
  kOmitted = 0,
  kByte = 0x80000101,
  kShort = 0x80000201,
  kInteger = 0x80000301,
  kLong = 0x80000401,
  kFloat = 0x80000501,
  kDouble = 0x80000601,
  kLogical = 0x80000002,
  kDateTime = 0x80000003,
  kText = 0x80000004,
  kByteSet = 0x80000005,
  kSubroutine = 0x80000006,
};

// Added to a type word, marks an array of that type.
constexpr uint32_t kArrayBit = 0x20000000;

// True for the six numeric types (low byte 0x01), without the array bit.
bool IsNumericType(TypeWord type);

// A type word and its payload: 64 payload bits for fixed-size types (32-bit
// types use the low half), the bytes for texts, byte sets and arrays (an
// array holds its elements' in-memory bytes). Build one with the factories.
class Value {
 public:
  Value() = default;

  static Value Byte(uint8_t v);
  static Value Short(int16_t v);
  static Value Integer(int32_t v);
  static Value Long(int64_t v);
  static Value Float(float v);
  static Value Double(double v);
  static Value Logical(bool v);
  // Days since 30 December 1899; the fraction is the time of day.
  static Value DateTime(double ole_date);
  static Value FromText(std::string_view gbk);
  static Value FromBytes(std::span<const uint8_t> bytes);
  static Value Subroutine(uint32_t address);
  // An array of `element_type` holding `element_bytes` (count x size bytes).
  static Value Array(TypeWord element_type, std::span<const uint8_t> element_bytes);

  TypeWord Type() const { return type_; }
  bool IsArray() const { return array_; }
  uint64_t bits() const { return bits_; }
  const std::string& Bytes() const { return bytes_; }

 private:
  Value(TypeWord type, uint64_t bits) : type_(type), bits_(bits) {}

  TypeWord type_ = TypeWord::kOmitted;
  bool array_ = false;
  uint64_t bits_ = 0;
  std::string bytes_;
};

// A text folds full-width forms, skips leading white space and reads a
// decimal number with optional sign, fraction and exponent (e, E, d or D);
// reading stops at the first byte that does not fit and no number gives 0.
// Numeric types give their value, a logical 0 or 1, a subroutine its
// address; anything else 0.
double ToNumber(const Value& value);
double ToNumber(std::string_view text);
// Whether ToNumber finds a number in `text`; when it does not, it gives 0.
bool HasNumber(std::string_view text);

// Whether the run reads all of `text` as the number it holds (ToNumber's
// reading, full-width forms folded): what the editors colour as a number.
bool IsWholeNumber(std::string_view text);

// A text folds full-width forms, skips white space, takes a sign and the
// decimal digits that follow, wrapping in 32 bits ('3.9' gives 3, '1e3' 1).
// Floating values truncate toward zero (NaN and values beyond 64 bits give
// 0); a long integer gives its low 32 bits.
int32_t ToInteger(const Value& value);
int32_t ToInteger(std::string_view text);
// Whether ToInteger finds digits in `text`; when it does not, it gives 0.
bool HasInteger(std::string_view text);

// The run count box's reading of its text when it loses the focus: white
// space skipped, a sign and the decimal digits that follow, held to the
// nearest 32-bit bound past them; no digits give 0.
int32_t LeadingInteger(std::string_view text);

// Integers in decimal, a double as "%.13g", a float as "%.6g", a logical as
// 真 or 假, a date-time as 年月日 with the time of day when it is not
// midnight; a byte set or numeric array gives its bytes up to the first zero
// byte; anything else the empty text.
Text ToText(const Value& value);
Text ToText(int32_t value);
Text ToText(double value);

// A text or byte set gives its bytes, a numeric array its element bytes, a
// fixed-size value its in-memory (little-endian) bytes; anything else none.
ByteSet ToByteSet(const Value& value);

}  // namespace dravel
