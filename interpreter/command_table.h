// The script language's command table: for each command its keyword, its
// English alias, the least number of words its line must have, the message of
// a line with fewer, and the action it stands for. Rows are tested in table
// order. Carrying the actions out is execute_lines.cpp's business.
#pragma once

#include <span>
#include <string_view>

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
};

struct CommandRow {
  std::string_view keyword;  // GBK
  std::string_view alias;
  int least_words;
  std::string_view message;  // appended after "第" + line number; empty when never needed
  CommandAction action;
};

std::span<const CommandRow> CommandTable();

// The first row whose keyword or alias equals `word` byte for byte, or null.
const CommandRow* FindCommand(std::string_view word);

}  // namespace dravel
