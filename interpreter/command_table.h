// The script language's commands, each described once: its keyword and
// English alias, the least number of words its line must have and the message
// of a line with fewer, the shape of its arguments, the action it stands for,
// and its help (syntax, meaning, an example line). Running, colouring, the
// tool tips, the command reference and the checker all read these rows.
// Rows are tested in table order. Carrying the actions out is
// execute_lines.cpp's business.
#pragma once

#include <span>
#include <string_view>

#include "runtime/text.h"

namespace dravel {

enum class CommandAction {
  kForward,
  kBack,
  kTurnLeft,
  kTurnRight,
  kHome,
  kRepeat,
  kClear,
  kStop,
  kCircle,
  kPenUp,
  kPenDown,
  kDelay,
  kEllipse,
  kRectangle,
  kSetX,
  kSetY,
  kSetXY,
  kShow,
  kHide,
  kWriteText,
  kPolygon,
  kCount,  // the run count line, and the number of rows before it: read by the run
           // driver, skipped by ExecuteLines
};

// How words 2 and 3 become the arguments.
enum class ArgumentShape {
  kNone,
  kNumber,      // word 2 as a number
  kTwoNumbers,  // words 2 and 3 as numbers
  kInteger,     // word 2 as an integer
  kWord,        // word 2 exactly as written
  kRepeat,      // word 2 as the count; the body from the whole line
  kPolygon,     // word 2 as the side count; words 2 and 3 as written
};

// What the window's help shows of a command, in UTF-8 (our own texts, which
// the window may translate).
struct CommandHelp {
  std::string_view syntax;  // e.g. "前进 距离"
  std::string_view meaning;
  std::string_view example;  // one line a learner can run
};

struct CommandRow {
  Text keyword;  // GBK
  Text alias;
  int least_words;
  Text message;  // GBK, appended after "第" + line number; empty when never needed
  ArgumentShape shape;
  CommandAction action;
  CommandHelp help;
};

// The rows that ExecuteLines matches, one per action before kCount, in the
// order it tests them.
std::span<const CommandRow> CommandTable();
// The run count line ("次数 n" or "count n"): no row of the table (a count
// line is skipped when the lines run), read by the run driver before.
const CommandRow& CountCommand();
// The table's rows and the count line's: every command a script can hold.
std::span<const CommandRow* const> AllCommands();

// The first row of the table whose keyword or alias equals `word` byte for
// byte, or null.
const CommandRow* FindCommand(std::string_view word);
// As FindCommand, the count line's row included.
const CommandRow* FindAnyCommand(std::string_view word);
// The row of `action`.
const CommandRow& RowOf(CommandAction action);

}  // namespace dravel
