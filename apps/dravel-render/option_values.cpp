#include "apps/dravel-render/option_values.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <optional>

#include "canvas/picture_format.h"
#include "canvas/window_look.h"

namespace dravel {
namespace {

constexpr double kMaxTimeoutSeconds = 1e6;

// The names of an option's values, each value's first name the one written.
template <typename Value>
struct ValueName {
  std::string_view name;
  Value value;
};

constexpr ValueName<EdgeMode> kEdgeNames[] = {
    {"wrap", EdgeMode::Wrap}, {"fence", EdgeMode::Fence}, {"unbounded", EdgeMode::Unbounded}};
constexpr ValueName<ScriptEncoding> kEncodingNames[] = {{"gbk", ScriptEncoding::kGbk},
                                                        {"utf-8", ScriptEncoding::kUtf8},
                                                        {"utf8", ScriptEncoding::kUtf8},
                                                        {"auto", ScriptEncoding::kAuto}};
constexpr ValueName<MatchMode> kMatchNames[] = {
    {"moved", MatchMode::kPlaced}, {"exact", MatchMode::kExact}, {"any-size", MatchMode::kAnySize}};

template <typename Value, size_t kCount>
bool ReadName(std::string_view text, const ValueName<Value> (&names)[kCount], Value& value) {
  for (const ValueName<Value>& name : names) {
    if (text != name.name) continue;
    value = name.value;
    return true;
  }
  return false;
}

template <typename Value, size_t kCount>
std::string_view NameOf(Value value, const ValueName<Value> (&names)[kCount]) {
  for (const ValueName<Value>& name : names)
    if (name.value == value) return name.name;
  assert(false && "a value without a name");
  return {};
}

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kMaxSide) return std::nullopt;
  return value;
}

// A whole number in [low, high].
std::optional<int> ParseCount(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// A decimal number as written: digits, an optional fraction, an optional
// exponent (clamped far beyond any use); no sign, no NaN, no infinity.
struct Decimal {
  std::string_view whole;
  std::string_view fraction;
  int64_t exponent = 0;
};

std::optional<Decimal> SplitDecimal(std::string_view text) {
  size_t at = 0;
  const auto digits = [&] {
    const size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return text.substr(start, at - start);
  };
  Decimal decimal;
  decimal.whole = digits();
  if (at < text.size() && text[at] == '.') {
    ++at;
    decimal.fraction = digits();
  }
  if (decimal.whole.empty() && decimal.fraction.empty()) return std::nullopt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const std::string_view exponent = digits();
    if (exponent.empty()) return std::nullopt;
    for (const char digit : exponent)
      decimal.exponent = std::min<int64_t>(decimal.exponent * 10 + (digit - '0'), 1'000'000'000);
    if (negative) decimal.exponent = -decimal.exponent;
  }
  if (at != text.size()) return std::nullopt;
  return decimal;
}

// The power of ten of the leading digit that is not 0 (0.02 gives -2);
// nullopt when every digit is 0.
std::optional<int64_t> LeadingPower(const Decimal& decimal) {
  const size_t whole = decimal.whole.find_first_not_of('0');
  if (whole != std::string_view::npos) {
    return int64_t(decimal.whole.size() - whole) - 1 + decimal.exponent;
  }
  const size_t fraction = decimal.fraction.find_first_not_of('0');
  if (fraction == std::string_view::npos) return std::nullopt;
  return -int64_t(fraction) - 1 + decimal.exponent;
}

}  // namespace

bool ParseSize(std::string_view text, RenderOptions& options) {
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const std::optional<int> width = ParseSide(text.substr(0, x));
  const std::optional<int> height = ParseSide(text.substr(x + 1));
  if (!width || !height) return false;
  options.width = *width;
  options.height = *height;
  return true;
}

bool ParseEdge(std::string_view text, RenderOptions& options) {
  return ReadName(text, kEdgeNames, options.edge_mode);
}

bool ParseEncoding(std::string_view text, RenderOptions& options) {
  if (!ReadName(text, kEncodingNames, options.encoding)) return false;
  options.encoding_given = true;
  return true;
}

// A format by its extension's name ("png", "svg").
bool ParseFormat(std::string_view text, RenderOptions& options) {
  for (const PictureFormatName& name : kPictureFormats) {
    if (text != name.extension.substr(1)) continue;
    options.svg_in_folder = name.format == PictureFormat::Svg;
    return true;
  }
  return false;
}

bool ParseMatch(std::string_view text, RenderOptions& options) {
  return ReadName(text, kMatchNames, options.match);
}

bool ParseSort(std::string_view text, RenderOptions& options) {
  if (text != "score" && text != "name") return false;
  options.sort_by_score = text == "score";
  return true;
}

// The library's own reading differs between builds past the range of a
// double (1e-999 is out of range to one, 0 to another), so the text is
// sized here and only numbers well inside that range are converted.
bool ParseTimeout(std::string_view text, RenderOptions& options) {
  const std::optional<Decimal> decimal = SplitDecimal(text);
  if (!decimal) return false;
  const std::optional<int64_t> power = LeadingPower(*decimal);
  if (power && *power > 6) return false;
  double seconds = 0;
  if (power && *power >= -12) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size()) return false;
  }
  if (seconds > kMaxTimeoutSeconds) return false;
  options.timeout_seconds = seconds;
  return true;
}

bool ParseJobs(std::string_view text, RenderOptions& options) {
  return (options.jobs = ParseCount(text, 1, 256).value_or(0)) != 0;
}

bool ParsePenWidth(std::string_view text, RenderOptions& options) {
  return (options.pen_width = ParseCount(text, 1, kWidestWindowPen).value_or(0)) != 0;
}

bool ParseMemoryLimit(std::string_view text, RenderOptions& options) {
  return (options.memory_limit_mb = ParseCount(text, 64, 1 << 20).value_or(0)) != 0;
}

std::string SizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string_view EdgeText(EdgeMode mode) { return NameOf(mode, kEdgeNames); }

std::string_view EncodingText(ScriptEncoding encoding) { return NameOf(encoding, kEncodingNames); }

std::string_view MatchText(MatchMode mode) { return NameOf(mode, kMatchNames); }

std::string TimeoutText(double seconds) {
  // Seventeen digits give back the same double.
  char text[32];
  const auto [end, error] =
      std::to_chars(std::begin(text), std::end(text), seconds, std::chars_format::general, 17);
  assert(error == std::errc());
  return std::string(std::begin(text), end);
}

}  // namespace dravel
