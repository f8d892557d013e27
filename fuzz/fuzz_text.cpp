// Checks FindText, ReplaceText and SplitText on arbitrary bytes against a
// deliberately plain model of the same rules, and aborts on any difference.
// The model walks characters one at a time over a copy of the text cut at its
// first zero byte, and shares no code with the library.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/byte_reader.h"
#include "runtime/text.h"
#include "runtime/value.h"

namespace {

using std::string;

string Cut(const string& s) {
  string out;
  for (char c : s) {
    if (c == '\0') break;
    out += c;
  }
  return out;
}

bool Lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether `search` sits at `p`: a byte right after a lead byte (walking
// from `p`) is a trail byte and always compares exactly.
bool SameAt(const string& text, size_t p, const string& search, bool ignore_case) {
  if (text.size() < p || text.size() - p < search.size()) return false;
  size_t i = 0;
  while (i < search.size()) {
    char t = text[p + i];
    char s = search[i];
    if (ignore_case ? Lower(t) != Lower(s) : t != s) return false;
    if (Lead(t) && i + 1 < search.size()) {
      if (text[p + i + 1] != search[i + 1]) return false;
      i += 2;
    } else {
      i += 1;
    }
  }
  return true;
}

// Candidate positions from `b`: every character start; a lead byte with
// nothing after it is the last candidate.
std::vector<size_t> Starts(const string& text, size_t b) {
  std::vector<size_t> starts;
  size_t p = b;
  while (p < text.size()) {
    starts.push_back(p);
    if (!Lead(text[p])) {
      p += 1;
    } else if (p + 1 < text.size()) {
      p += 2;
    } else {
      break;
    }
  }
  return starts;
}

size_t Begin(std::optional<int> start) {
  if (!start || *start <= 1) return 0;
  return static_cast<size_t>(*start) - 1;
}

int ModelFind(string text, string search, std::optional<int> start, bool ignore_case) {
  text = Cut(text);
  search = Cut(search);
  size_t b = Begin(start);
  if (b >= text.size()) return -1;
  if (search.empty()) return 1;
  for (size_t p : Starts(text, b)) {
    if (SameAt(text, p, search, ignore_case)) return static_cast<int>(p) + 1;
  }
  return -1;
}

string ModelReplace(string text, string search, string with, std::optional<int> start,
                    std::optional<int> count, bool case_sensitive) {
  text = Cut(text);
  search = Cut(search);
  with = Cut(with);
  size_t b = Begin(start);
  long left = count ? *count : -1;
  if (text.empty() || search.empty() || b >= text.size() || left == 0) return text;
  string out = text.substr(0, b);
  size_t p = b;
  while (p < text.size() && text.size() - p >= search.size()) {
    if (SameAt(text, p, search, !case_sensitive)) {
      out += with;
      p += search.size();
      if (left > 0) {
        left -= 1;
        if (left == 0) break;
      }
    } else if (!Lead(text[p])) {
      out += text[p];
      p += 1;
    } else if (p + 1 < text.size()) {
      out += text[p];
      out += text[p + 1];
      p += 2;
    } else {
      return out;
    }
  }
  return out + text.substr(p);
}

std::vector<string> ModelSplit(string text, std::optional<string> separator,
                               std::optional<int> maximum) {
  text = Cut(text);
  string sep = separator ? Cut(*separator) : ",";
  long left = -1;
  if (maximum) left = *maximum < 0 ? 0 : *maximum;
  if (text.empty() || left == 0) return {};
  if (sep.empty()) return {text};
  std::vector<string> pieces;
  string piece;
  size_t p = 0;
  while (p < text.size()) {
    if (text.size() - p >= sep.size() && text.compare(p, sep.size(), sep) == 0) {
      pieces.push_back(piece);
      piece.clear();
      p += sep.size();
      if (left > 0 && --left == 0) return pieces;
      continue;
    }
    size_t width = Lead(text[p]) ? 2 : 1;
    piece += text.substr(p, width);  // a lone lead byte stays in the last piece
    p += width;
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

int32_t ModelInteger(const string& folded) {
  size_t p = 0;
  while (p < folded.size() && string(" \t\n\v\f\r").find(folded[p]) != string::npos) ++p;
  bool minus = false;
  if (p < folded.size() && (folded[p] == '-' || folded[p] == '+')) minus = folded[p++] == '-';
  uint32_t value = 0;
  while (p < folded.size() && folded[p] >= '0' && folded[p] <= '9') {
    value = value * 10u + static_cast<uint32_t>(folded[p++] - '0');
  }
  return static_cast<int32_t>(minus ? 0u - value : value);
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "model disagrees: %s\n", what);
  std::abort();
}

std::optional<int> MaybeInt(dravel::fuzz::ByteReader& data) {
  if (!data.Bool()) return std::nullopt;
  return data.IntInRange(-3, 40);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  dravel::fuzz::ByteReader data(bytes, size);
  string search = data.String(8);
  string with = data.String(8);
  std::optional<int> start = MaybeInt(data);
  std::optional<int> count = MaybeInt(data);
  bool flag = data.Bool();
  bool default_separator = data.Bool();
  string text = data.Rest();

  Check(dravel::FindText(text, search, start, flag) == ModelFind(text, search, start, flag),
        "FindText");
  Check(dravel::ReplaceText(text, search, with, start, count, flag) ==
            ModelReplace(text, search, with, start, count, flag),
        "ReplaceText");
  std::optional<string> separator;
  if (!default_separator) separator = search;
  std::optional<std::string_view> separator_view;
  if (separator) separator_view = *separator;
  Check(dravel::SplitText(text, separator_view, count) == ModelSplit(text, separator, count),
        "SplitText");
  Check(dravel::ToInteger(text) == ModelInteger(dravel::FoldFullWidth(text)), "ToInteger");
  (void)dravel::ToNumber(text);
  return 0;
}
