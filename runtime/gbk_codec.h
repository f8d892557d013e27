// The one place where GBK (code page 936) bytes and UTF-8 are converted into
// each other, by tables made at build time from the system's CP936 mapping.
// Neither direction throws, and both take time linear in the text.
//
// Bytes that are not GBK (0xFF, a lead byte without a valid trail byte) are
// replaced by U+FFFD for showing, or, where the text must come back byte for
// byte (the script editor), each kept as its own private-use character
// U+F780..U+F7FF, which the other direction turns back into that byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravel {

enum class UndecodableBytes { kReplace, kKeep };

// The private-use character that stands for undecodable byte 0x80..0xFF.
inline constexpr uint32_t kKeptByteFirst = 0xF780;
inline constexpr uint32_t kKeptByteLast = 0xF7FF;
constexpr bool IsKeptByte(uint32_t character) {
  return character >= kKeptByteFirst && character <= kKeptByteLast;
}

std::string GbkToUtf8(std::string_view gbk, UndecodableBytes bytes = UndecodableBytes::kReplace);

// Characters GBK cannot hold, and UTF-8 that is not well formed, become '?'
// (one per bad byte); *lossless (when given) then becomes false. With kKeep,
// a kept-byte character becomes its byte again.
std::string Utf8ToGbk(std::string_view utf8, bool* lossless = nullptr,
                      UndecodableBytes bytes = UndecodableBytes::kReplace);

// A character that GBK cannot hold, where Utf8ToGbk wrote '?' for it: the
// '?' is byte `at` of the GBK text, `character` what stood there (UTF-8;
// U+FFFD for a byte that was not UTF-8).
struct LostCharacter {
  size_t at = 0;
  std::string character;
};

// Utf8ToGbk, noting each character it turned into '?'.
std::string Utf8ToGbk(std::string_view utf8, std::vector<LostCharacter>& lost,
                      UndecodableBytes bytes = UndecodableBytes::kReplace);

// The bytes Utf8ToGbk writes for `character`: 1 for ASCII, a kept byte
// (with kKeep) and the '?' of a character GBK cannot hold, else 2.
int GbkLength(uint32_t character, UndecodableBytes bytes = UndecodableBytes::kKeep);

// Whether `bytes` read as UTF-8 rather than GBK: they start with UTF-8's byte
// order mark, or they are well-formed UTF-8 holding at least one character of
// more than one byte. Pure ASCII is not: it reads the same either way.
bool LooksLikeUtf8(std::string_view bytes);

// `bytes` without a leading UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view bytes);

// The byte offset in `utf8` of the first character that Utf8ToGbk would turn
// into '?', or npos when there is none.
size_t FirstUnconvertible(std::string_view utf8,
                          UndecodableBytes bytes = UndecodableBytes::kReplace);

}  // namespace dravel
