// The checker: reads a script line as the interpreter would and finds what
// will go wrong, or will do what the learner most likely did not mean: look-
// alike characters where the language needs ASCII ones or "【】", separators
// that are not single spaces, unknown keywords (with the nearest one), too few
// words, arguments the reader takes as 0, repeat brackets that do not work,
// repeat counts that run nothing; and a first lesson's commonest slips: a
// keyword run into its number, Chinese punctuation between or after
// commands, a second command on a line or body item. Every finding holds for what the run does
// with the line: it is found with the command rows and the readers the run
// uses. The checker changes nothing; a finding may offer an edit of the line.
// Findings hold positions and small edits, never copies of the line, and a
// line keeps only its first few, so a huge line costs memory in proportion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/gbk_codec.h"
#include "runtime/text.h"

namespace dravel {

enum class FindingKind {
  kFullWidthBar,      // "｜" in a repeat body
  kBracketLookAlike,  // "［］", "「」" or "[]" where the repeat needs "【】"
  kBrackets,          // no "【", no "】" after it, "】" before "【", or an empty body
  kNestedRepeat,      // a repeat inside a body: brackets do not nest
  kAfterBody,         // words after the body's "】", which nothing reads
  kSeparator,         // a tab or a full-width space between the words
  kEmptyWord,         // two spaces: the word between them is empty
  kLeadingSpace,      // a space before the keyword of a line that is no comment
  kCommentStart,      // "//" without the space that makes a comment
  kUnknownCommand,
  kRunTogether,  // a keyword and its number with no space between: "前进100"
  kPunctuation,  // "，", "、", "；", "：" or "。" after a keyword or between commands
  kTwoCommands,  // a second command after a command's arguments, which nothing reads
  kTooFewWords,
  kNotANumber,    // the reader finds no number and takes 0
  kNothingRuns,   // a repeat count (or the run count) of 0 or less
  kTextCut,       // 写文字 writes its second word only
  kCountIgnored,  // a count line the run does not read
  kNotInGbk,      // a character GBK cannot hold: the run and the save have '?' there
  kMoreFindings,  // stands for the findings of a line past its first kFindingsPerLine
};

// A quick fix: bytes [begin, end) of the line replaced by `with` (GBK). Its
// bytes never join a byte left before them into another character. A fix
// that moves a command to a line of its own holds a CR LF.
struct LineEdit {
  int begin = 0;
  int end = 0;
  Text with;
};

struct Finding {
  FindingKind kind;
  int begin = 0;  // the characters concerned: 0-based byte offsets in the line,
  int end = 0;    // end exclusive
  // What will happen and what was probably meant, in Chinese (UTF-8): a
  // template with %1, %2 for `arguments`, marked for translation in the
  // context "ScriptChecker".
  std::string_view message;
  std::vector<std::string> arguments;  // UTF-8
  std::optional<LineEdit> fix;
};

// The message with its arguments filled in (UTF-8).
std::string FindingText(const Finding& finding);

// `line`, the line `fix` was found in, with the fix made.
Text FixedLine(std::string_view line, const LineEdit& fix);

// A line with more findings lists these, then one kMoreFindings finding that
// counts the rest and covers where they are.
inline constexpr size_t kFindingsPerLine = 100;

// What an editor marks of a finding over the columns [begin, end) of its
// line: those, or for a finding between characters (a missing word) the one
// before.
struct MarkedColumns {
  int from = 0;
  int to = 0;  // exclusive, past from
};
MarkedColumns MarkedColumnsOf(int begin, int end);

// The findings of one script line (GBK, without its line break), in the
// order of their columns. `first_count_line`: whether a count line here is
// the first of its script (only that one is read). `lost`: the characters
// GBK could not hold where the line was typed, each a '?' of the line now
// (Utf8ToGbk notes them).
std::vector<Finding> CheckLine(std::string_view line, bool first_count_line = true,
                               std::span<const LostCharacter> lost = {});

// The characters GBK cannot hold of one line (1-based) of a script.
struct LostInLine {
  int line = 0;
  std::vector<LostCharacter> characters;
};

// Those of a UTF-8 script, its lines cut at CR LF, CR or LF as a script file's
// are, in line order; empty when GBK holds every character.
std::vector<LostInLine> LostCharactersByLine(std::string_view utf8,
                                             UndecodableBytes bytes = UndecodableBytes::kReplace);

struct ScriptFinding {
  int line = 0;  // 1-based
  Finding finding;
};

struct ScriptFindings {
  std::vector<ScriptFinding> listed;  // in line order
  int lines_left = 0;                 // lines with findings after the listed ones
};

// The findings of the lines of a script (GBK, CR LF breaks), whole lines at
// a time while fewer than `most` are listed; the later lines with findings
// are only counted. `lost` (in line order): the characters GBK could not
// hold where the script was typed.
ScriptFindings CheckScript(std::string_view script, size_t most = SIZE_MAX,
                           std::span<const LostInLine> lost = {});

}  // namespace dravel
