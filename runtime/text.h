// Text commands over GBK byte strings: measuring, cutting, searching,
// replacing, splitting and the full-width fold used before numbers are read.
// Every position and length counts bytes; a byte of 0x80 or above leads a
// double-byte character, and no search, split or replacement starts a match
// on its trail byte. Every command reads its text arguments only up to their
// first zero byte. Conversions between GBK and UTF-8 live in gbk_codec.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravel {

using Text = std::string;  // GBK bytes

// The text up to (not including) its first zero byte.
std::string_view UpToZero(std::string_view text);

// True for a byte that leads a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

int TextLength(std::string_view text);

// n bytes from the 1-based byte `start`, clipped to the text; a start outside
// the text or n <= 0 gives the empty text.
Text TextMiddle(std::string_view text, int start, int n);

// 1-based byte position of the first match of `search` at or after `start`
// (1-based, default 1), or -1. An empty search text gives 1 when the searched
// region is non-empty. `ignore_case` folds ASCII letters only; trail bytes of
// double-byte characters always compare exactly.
int FindText(std::string_view text, std::string_view search, std::optional<int> start = {},
             bool ignore_case = false);

// Replaces up to `count` (default all; any negative means all, 0 none)
// non-overlapping matches of `search`, scanning from `start` (1-based), by
// `replacement` (default empty). Matching ignores ASCII case unless
// `case_sensitive`. A lone lead byte at the very end of the scanned text is
// dropped.
Text ReplaceText(std::string_view text, std::string_view search,
                 std::optional<std::string_view> replacement = {}, std::optional<int> start = {},
                 std::optional<int> count = {}, bool case_sensitive = false);

// Splits at every exact match of `separator` (default ","). Empty pieces
// between separators are kept; an empty last piece is not. An empty text or
// `maximum` <= 0 gives no pieces; with a maximum, splitting stops after that
// many pieces and the rest is dropped. An empty separator gives the whole
// text as the only piece.
std::vector<Text> SplitText(std::string_view text, std::optional<std::string_view> separator = {},
                            std::optional<int> maximum = {});

// Turns full-width ASCII forms (and the ideographic space, ～, ☆ and ★) into
// their half-width bytes; other characters are copied. A lone lead byte at
// the end is dropped.
Text FoldFullWidth(std::string_view text);

}  // namespace dravel
