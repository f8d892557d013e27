#include "runtime/text.h"

#include <algorithm>
#include <cstdint>

namespace dravel {
namespace {

constexpr size_t kEnd = std::string_view::npos;

unsigned char ByteAt(std::string_view text, size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

unsigned char FoldAscii(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}

// The position after the character at `pos`, or kEnd when that character
// is a lead byte with nothing after it.
size_t NextChar(std::string_view text, size_t pos) {
  if (!IsLeadByte(ByteAt(text, pos))) return pos + 1;
  return pos + 1 < text.size() ? pos + 2 : kEnd;
}

// Whether `search` matches at `pos`. Folding applies to single-byte
// characters only: folding a trail byte would equate two different
// double-byte characters.
bool MatchAt(std::string_view text, size_t pos, std::string_view search, bool ignore_case) {
  bool trail = false;
  for (size_t i = 0; i < search.size(); ++i) {
    unsigned char t = ByteAt(text, pos + i);
    unsigned char s = ByteAt(search, i);
    bool fold = ignore_case && !trail;
    if (fold ? FoldAscii(t) != FoldAscii(s) : t != s) return false;
    trail = !trail && IsLeadByte(t);
  }
  return true;
}

// A 1-based start position as a 0-based byte index (never below 0).
size_t StartIndex(std::optional<int> start) {
  return start ? static_cast<size_t>(std::max<int64_t>(int64_t{*start} - 1, 0)) : 0;
}

size_t FindFrom(std::string_view text, std::string_view search, size_t pos, bool ignore_case) {
  while (pos != kEnd && text.size() - pos >= search.size()) {
    if (MatchAt(text, pos, search, ignore_case)) return pos;
    pos = NextChar(text, pos);
  }
  return kEnd;
}

// The half-width byte for a double-byte character, or 0 when it has none.
char FoldedChar(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead != 0xA1) return 0;
  switch (trail) {
    case 0xA1: return ' ';
    case 0xAB: return '~';
    case 0xEE:
    case 0xEF: return '*';
    default: return 0;
  }
}

}  // namespace

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

int TextLength(std::string_view text) { return static_cast<int>(UpToZero(text).size()); }

Text TextMiddle(std::string_view text, int start, int n) {
  text = UpToZero(text);
  int64_t s = int64_t{start} - 1;
  if (s < 0 || s >= static_cast<int64_t>(text.size()) || n <= 0) return {};
  return Text(text.substr(static_cast<size_t>(s), static_cast<size_t>(n)));
}

int FindText(std::string_view text, std::string_view search, std::optional<int> start,
             bool ignore_case) {
  text = UpToZero(text);
  search = UpToZero(search);
  size_t pos = StartIndex(start);
  if (pos >= text.size()) return -1;
  if (search.empty()) return 1;
  size_t found = FindFrom(text, search, pos, ignore_case);
  return found == kEnd ? -1 : static_cast<int>(found + 1);
}

Text ReplaceText(std::string_view text, std::string_view search,
                 std::optional<std::string_view> replacement, std::optional<int> start,
                 std::optional<int> count, bool case_sensitive) {
  text = UpToZero(text);
  search = UpToZero(search);
  std::string_view with = replacement ? UpToZero(*replacement) : std::string_view();
  size_t pos = StartIndex(start);
  int remaining = count.value_or(-1);  // negative: all
  if (text.empty() || search.empty() || pos >= text.size() || remaining == 0) return Text(text);
  Text out(text.substr(0, pos));
  while (text.size() - pos >= search.size()) {
    if (MatchAt(text, pos, search, !case_sensitive)) {
      out += with;
      pos += search.size();
      if (remaining > 0 && --remaining == 0) break;
      continue;
    }
    size_t next = NextChar(text, pos);
    if (next == kEnd) return out;  // the lone lead byte is dropped
    out.append(text.substr(pos, next - pos));
    pos = next;
  }
  out.append(text.substr(pos));
  return out;
}

std::vector<Text> SplitText(std::string_view text, std::optional<std::string_view> separator,
                            std::optional<int> maximum) {
  text = UpToZero(text);
  std::string_view sep = separator ? UpToZero(*separator) : std::string_view(",");
  int left = maximum ? std::max(*maximum, 0) : -1;  // -1: unlimited
  if (text.empty() || left == 0) return {};
  if (sep.empty()) return {Text(text)};
  std::vector<Text> pieces;
  size_t piece_start = 0;
  size_t pos = 0;
  while (pos != kEnd && text.size() - pos >= sep.size()) {
    if (!MatchAt(text, pos, sep, false)) {
      pos = NextChar(text, pos);
      continue;
    }
    pieces.emplace_back(text.substr(piece_start, pos - piece_start));
    pos += sep.size();
    piece_start = pos;
    if (left > 0 && --left == 0) return pieces;
  }
  if (piece_start < text.size()) pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

Text FoldFullWidth(std::string_view text) {
  text = UpToZero(text);
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = ByteAt(text, i);
    if (!IsLeadByte(lead)) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) break;
    char folded = FoldedChar(lead, ByteAt(text, i + 1));
    if (folded != 0) {
      out += folded;
    } else {
      out.append(text.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

}  // namespace dravel
