// What a learner meant by words the run does not read as they were meant:
// the keyword or alias nearest to an unknown word in spelling, a keyword
// written with its number or a punctuation mark and no space between
// ("前进100", "GO100", "回家，"), and the pieces of a line the checker looks
// for around them (a number, a Chinese punctuation mark, another command).
// Reads the command table and the number readers; knows nothing of
// findings or their messages.
#pragma once

#include <optional>
#include <string_view>

#include "interpreter/command_table.h"
#include "runtime/text.h"

namespace dravel {

// The keyword or alias nearest to `word` (GBK) in edit distance, when it is
// near enough to be what was meant; nullopt otherwise.
std::optional<Text> NearestKeyword(std::string_view word);

// A keyword or alias at the start of a word, with what follows it there.
struct KeywordAhead {
  const CommandRow* row = nullptr;
  const Text* spelling = nullptr;  // the row's keyword or alias as the run reads it
  int length = 0;                  // the bytes it takes in the word (letters in any case)
  int number = 0;                  // the bytes of a number its row reads right after it, or 0
  int pause = 0;                   // the bytes of a punctuation mark right after it, or 0
};

// The longest keyword or alias (an alias in any letter case) that `word`
// starts with and that is followed directly either by a number of the kind
// its row reads (for a row that takes numbers) or by a Chinese punctuation
// mark; nullopt when there is none.
std::optional<KeywordAhead> FindKeywordAhead(std::string_view word);

// The Chinese punctuation mark ("，", "、", "；", "：" or "。") that `text`
// starts with, as its bytes in `text`; empty when it starts with none.
std::string_view PauseAt(std::string_view text);

// How many bytes at the start of `word` a number reader reads (a sign,
// digits, a point and an exponent, in full width or not); 0 when none.
int NumberLength(std::string_view word);

// Whether `word` reads as a command the learner meant: a keyword or alias
// as the run reads it, an alias in another letter case, or a keyword that
// FindKeywordAhead finds.
bool ReadsAsCommand(std::string_view word);

}  // namespace dravel
