// Cutting a script into its parts: lines (`SplitLines`), the words of a line
// (`SplitWords`) and the body between two markers (`TextBetween`), each built
// on the runtime's text commands so that the language keeps their edge cases.
// Also the reading of a script file's bytes into the text the editor holds.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace dravel {

// An ordered list of command lines; a line's 1-based position is its line
// number in every message.
using CommandList = std::vector<Text>;

// Splits at every CR LF. Empty lines between others are kept; a final CR LF
// adds no empty line; an empty text gives no lines. A lone CR or LF stays in
// its line.
CommandList SplitLines(std::string_view script);

// Splits at every single space: adjacent spaces give an empty word, a leading
// space an empty first word, a trailing space no last word.
std::vector<Text> SplitWords(std::string_view line);

// The text after the first `start_marker` (searched from the 1-based
// `start`; 0 means the beginning) up to the first `end_marker` after it, or
// the empty text when either is missing. "#引号" in a marker stands for '"'.
// Letters match regardless of case unless `case_sensitive`.
Text TextBetween(std::string_view source, std::string_view start_marker,
                 std::string_view end_marker, int start = 0, bool case_sensitive = false);

// A script file's bytes as the editor takes them: the bytes before the first
// zero byte, with every lone LF or CR turned into CR LF (CR LF stays as is).
Text ScriptFromFileBytes(std::span<const unsigned char> bytes);
Text ScriptFromFileBytes(std::string_view bytes);

}  // namespace dravel
