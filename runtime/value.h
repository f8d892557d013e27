// The conversions between numbers and texts the language makes (a word to a
// number or an integer, a number to a word), and the byte block a file holds.
// The readers and writers of numbers never consult the process locale: '2.5'
// is two and a half under every locale, and a double is written with a '.'.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace dravel {

using ByteSet = std::vector<uint8_t>;

// A text folds full-width forms, skips leading white space and reads a
// decimal number with optional sign, fraction and exponent (e, E, d or D);
// reading stops at the first byte that does not fit and no number gives 0.
double ToNumber(std::string_view text);
// Whether ToNumber finds a number in `text`; when it does not, it gives 0.
bool HasNumber(std::string_view text);

// Whether the run reads all of `text` as the number it holds (ToNumber's
// reading, full-width forms folded): what the editors colour as a number.
bool IsWholeNumber(std::string_view text);

// A text folds full-width forms, skips white space, takes a sign and the
// decimal digits that follow, wrapping in 32 bits ('3.9' gives 3, '1e3' 1).
int32_t ToInteger(std::string_view text);
// Whether ToInteger finds digits in `text`; when it does not, it gives 0.
bool HasInteger(std::string_view text);

// The run count box's reading of its text when it loses the focus: white
// space skipped, a sign and the decimal digits that follow, held to the
// nearest 32-bit bound past them; no digits give 0.
int32_t LeadingInteger(std::string_view text);

// An integer in decimal, a double as "%.13g".
Text ToText(int32_t value);
Text ToText(double value);

}  // namespace dravel
