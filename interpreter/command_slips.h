// The slips of a first lesson that the run reads as something else: a
// keyword run into its number or into a punctuation mark ("前进100",
// "回家，"), Chinese punctuation after a command or between two, a second
// command after a command's arguments, two numbers joined by punctuation.
// Each check looks at one command line or repeat body item, which starts at
// byte `at` of its script line, and gives its finding; a fix separates two
// commands with "|" in a body and with a line break elsewhere. The other
// findings are script_checker.cpp's.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "interpreter/command_table.h"
#include "interpreter/script_checker.h"

namespace dravel {

// `item`'s unknown first word `first`, when it starts with a keyword run
// into a number its row reads or into a punctuation mark.
std::optional<Finding> KeywordRunOn(std::string_view item, std::string_view first, int at,
                                    bool in_body);

// Where the words that `row` reads of `words` end in their item: after the
// keyword, or after the number its last argument starts with; nullopt when
// that argument holds no number or the row reads the rest itself.
std::optional<int> ReadEnd(const CommandRow& row, const std::vector<Text>& words);

// What follows a command whose words end at byte `read_end` of `item`: a
// punctuation mark with nothing after it, or another command after spaces
// or a punctuation mark. Anything else is left alone: the run skips it.
std::optional<Finding> AfterCommand(std::string_view item, int read_end, int at, bool in_body);

// A line of `row` one word short whose last word is two numbers joined by a
// punctuation mark ("画椭圆 80，40").
std::optional<Finding> JoinedNumbers(const CommandRow& row, const std::vector<Text>& words, int at);

}  // namespace dravel
