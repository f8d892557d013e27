#include "marking/name_looks.h"

#include <locale.h>
#include <wctype.h>

#include <cstdio>

namespace dravel {
namespace {

// The letter each of U+00C0 to U+024F is with its marks taken off ('.': no
// Latin letter with marks), from Unicode's canonical decompositions.
constexpr std::string_view kLatinBase =
    "AAAAAA.CEEEEIIII.NOOOOO..UUUUY..aaaaaa.ceeeeiiii.nooooo..uuuuy.y"
    "AaAaAaCcCcCcCcDd..EeEeEeEeEeGgGgGgGgHh..IiIiIiIiI...JjKk.LlLlLl."
    "...NnNnNn...OoOoOo..RrRrRrSsSsSsSsTtTt..UuUuUuUuUuUuWwYyYZzZzZz."
    "................................Oo.............Uu..............."
    ".............AaIiOoUuUuUuUuUu.AaAa....GgKkOoOo..j...Gg..NnAa...."
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt..Hh......AaEeOoOoOoOoYy............"
    "................";
constexpr char32_t kLatinFirst = 0xC0;
static_assert(kLatinBase.size() == 0x250 - kLatinFirst);

// The code point at `at` and its length; a byte that starts no UTF-8
// sequence as itself, length 1, flagged.
struct Decoded {
  char32_t code = 0;
  size_t size = 1;
  bool valid = false;
};

Decoded DecodeAt(std::string_view text, size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  const size_t size = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
  if (size == 0 || at + size > text.size()) return {byte, 1, false};
  char32_t code = size == 1 ? byte : byte & (0x7F >> size);
  for (size_t i = 1; i < size; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return {byte, 1, false};
    code = (code << 6) | (next & 0x3F);
  }
  return {code, size, true};
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

char32_t LowerCase(char32_t code) {
  // The C library knows every letter's case in its UTF-8 locale, whatever
  // the process's own locale is.
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
  if (utf8 != locale_t(nullptr)) return char32_t(towlower_l(wint_t(code), utf8));
  return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
}

std::string Key(std::string_view text, bool fold_case) {
  std::string key;
  for (size_t at = 0; at < text.size();) {
    const Decoded decoded = DecodeAt(text, at);
    const std::string_view bytes = text.substr(at, decoded.size);
    at += decoded.size;
    if (!decoded.valid) {
      key += bytes;
      continue;
    }
    char32_t code = decoded.code;
    if (code >= 0x300 && code <= 0x36F) continue;
    if (code >= kLatinFirst && code - kLatinFirst < kLatinBase.size() &&
        kLatinBase[code - kLatinFirst] != '.')
      code = char32_t(kLatinBase[code - kLatinFirst]);
    AppendUtf8(fold_case ? LowerCase(code) : code, key);
  }
  return key;
}

}  // namespace

std::string LooksKey(std::string_view text) { return Key(text, false); }

std::string FoldedKey(std::string_view text) { return Key(text, true); }

std::string PercentEncoded(std::string_view bytes, std::string_view kept) {
  std::string text;
  char written[8];
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const bool alphanumeric = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                              (byte >= 'a' && byte <= 'z');
    if (c != '%' && (alphanumeric || kept.find(c) != std::string_view::npos)) {
      text += c;
      continue;
    }
    std::snprintf(written, sizeof written, "%%%02X", byte);
    text += written;
  }
  return text;
}

std::string BytesText(std::string_view bytes) {
  return PercentEncoded(bytes, "!\"#$&'()*+,-./:;<=>?@[\\]^_`{|}~");
}

}  // namespace dravel
