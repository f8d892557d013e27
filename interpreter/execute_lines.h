// Running command lines: `ExecuteLines` carries out one list from its first
// to its last line, calling the turtle operations, expanding repeats and
// polygons into nested lists, and on the first failure appending exactly one
// numbered message through the host. Lines are first prepared (cut into words,
// matched against the command table, arguments converted) so that a list run
// many times, as a pass or a repeat body, is read only once; preparing never
// reports anything, a prepared failure is reported when its line is reached.
#pragma once

#include <cstdint>
#include <stop_token>
#include <variant>
#include <vector>

#include "canvas/turtle_operations.h"
#include "interpreter/command_list.h"
#include "interpreter/command_table.h"
#include "interpreter/run_host.h"
#include "interpreter/run_pacer.h"

namespace dravel {

// What a run's lines act on. `stop` is the run's token: once it is requested
// no further line starts and `ExecuteLines` gives false without a message.
struct RunContext {
  TurtleOperations& turtle;
  RunHost& host;
  std::stop_token stop;
  int depth = 0;              // nesting of lists being executed; 1 for the script's own
  int script_line = 0;        // the script line being executed, for ReportFailingLine
  int body_item = 0;          // its body's item being executed (1-based), 0 outside a body
  RunPacer* pacer = nullptr;  // null: no pacing at all
  bool keep_delays = true;    // false: 延时 lines do not wait (final pictures only)
};

// A line's arguments, by its row's shape.
struct Numbers {  // kNumber, kTwoNumbers
  double first = 0;
  double second = 0;
};
struct RepeatArguments {  // kRepeat
  int32_t count = 0;
  Text body;  // between the line's first "【" and the first "】" after it
};
struct PolygonArguments {  // kPolygon
  int32_t sides = 0;
  Text sides_word;  // words 2 and 3 as written, for the repeat line it becomes
  Text side_word;
};
// kNone: monostate; kInteger: the integer; kWord: the word.
using Arguments =
    std::variant<std::monostate, Numbers, int32_t, Text, RepeatArguments, PolygonArguments>;

struct PreparedLine {
  enum class Kind : uint8_t { kSkip, kUnrecognised, kTooFewWords, kCommand };
  Kind kind = Kind::kSkip;
  const CommandRow* row = nullptr;
  Arguments arguments;
};

using PreparedLines = std::vector<PreparedLine>;

PreparedLine PrepareLine(std::string_view line);
PreparedLines PrepareLines(const CommandList& lines);

// Runs the list; true when every line was executed or skipped, false after a
// failure, a stop command or a stop of the run. On a failure or a stop
// command it has appended one message and enabled the run button.
bool ExecuteLines(const CommandList& lines, RunContext& context);
bool ExecuteLines(const PreparedLines& lines, RunContext& context);

}  // namespace dravel
