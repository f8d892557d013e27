#include "interpreter/execute_lines.h"

#include "interpreter/messages.h"
#include "runtime/beep_delay.h"
#include "runtime/value.h"

namespace dravel {
namespace {

using Kind = PreparedLine::Kind;
using enum CommandAction;

bool IsSkippedLine(std::string_view line, std::string_view first_word) {
  return line.starts_with(messages::kCommentStart) || first_word == messages::kCountKeyword ||
         first_word == messages::kCountAlias;
}

void ConvertArguments(const std::vector<Text>& words, std::string_view line, PreparedLine& out) {
  switch (out.row->action) {
    case kForward: case kBack: case kTurnLeft: case kTurnRight: case kCircle:
    case kSetX: case kSetY:
      out.first = ToNumber(words[1]);
      break;
    case kEllipse: case kRectangle: case kSetXY:
      out.first = ToNumber(words[1]);
      out.second = ToNumber(words[2]);
      break;
    case kDelay:
      out.integer = ToInteger(words[1]);
      break;
    case kWriteText:
      out.text = words[1];
      break;
    case kRepeat:
      out.integer = ToInteger(words[1]);
      out.text = TextBetween(line, messages::kBodyOpen, messages::kBodyClose);
      break;
    case kPolygon:
      out.integer = ToInteger(words[1]);
      out.text = words[1];
      out.side = words[2];
      break;
    default:
      break;
  }
}

bool Fail(RunContext& context, int line, std::string_view prefix, std::string_view message) {
  Text text(prefix);
  text += ToText(line);
  text += message;
  context.host.AppendHint(context.stop, text);
  context.host.ReportFailingLine(context.stop, context.script_line);
  if (context.depth > 1) {
    context.host.ReportFailingItem(context.stop, context.script_line, context.body_item);
  }
  context.host.EnableRunButton(context.stop);
  return false;
}

bool Fail(RunContext& context, int line, std::string_view message) {
  return Fail(context, line, messages::kLinePrefix, message);
}

bool Repeat(const PreparedLine& line, int number, RunContext& context) {
  const CommandList body = SplitText(line.text, "|");
  if (body.empty()) return Fail(context, number, line.row->message);
  const PreparedLines prepared = PrepareLines(body);
  for (int32_t pass = 0; pass < line.integer; ++pass) {
    if (!ExecuteLines(prepared, context)) return false;
  }
  return true;
}

// A regular polygon is the repeat line that draws it, turning by
// 180 - 180 / n as written back and read as text.
bool Polygon(const PreparedLine& line, RunContext& context) {
  const Text angle = line.integer == 0 ? Text("0") : ToText(180.0 - 180.0 / line.integer);
  Text repeat(messages::kRepeatKeyword);
  repeat += ' ';
  repeat += line.text;
  repeat += ' ';
  repeat += messages::kBodyOpen;
  repeat += messages::kForwardKeyword;
  repeat += ' ';
  repeat += line.side;
  repeat += '|';
  repeat += messages::kTurnLeftKeyword;
  repeat += ' ';
  repeat += angle;
  repeat += messages::kBodyClose;
  // Carried out as the repeat itself, so its body items are the script
  // line's, as for a repeat written out.
  return Repeat(PrepareLine(repeat), 1, context);
}

bool CarryOut(const PreparedLine& line, int number, RunContext& context) {
  TurtleOperations& turtle = context.turtle;
  switch (line.row->action) {
    case kForward: turtle.Forward(line.first); break;
    case kBack: turtle.Back(line.first); break;
    case kTurnLeft: turtle.TurnLeft(line.first); break;
    case kTurnRight: turtle.TurnRight(line.first); break;
    case kHome: turtle.Home(); break;
    case kClear: turtle.Clear(); break;
    case kCircle: turtle.Circle(line.first); break;
    case kPenUp: turtle.PenUp(); break;
    case kPenDown: turtle.PenDown(); break;
    case kDelay: Delay(line.integer, context.stop); break;
    case kEllipse: turtle.Ellipse(line.first, line.second); break;
    case kRectangle: turtle.Rectangle(line.first, line.second); break;
    case kSetX: turtle.SetX(line.first); break;
    case kSetY: turtle.SetY(line.first); break;
    case kSetXY: turtle.SetXY(line.first, line.second); break;
    case kShow: turtle.Show(); break;
    case kHide: turtle.Hide(); break;
    case kWriteText: turtle.WriteText(line.text); break;
    case kRepeat: return Repeat(line, number, context);
    case kPolygon: return Polygon(line, context);
    case kStop: return Fail(context, number, messages::kStoppedByPrefix, messages::kStoppedBy);
  }
  return true;
}

// Repeats and polygons are containers: their body commands are paced instead.
bool IsPacedLine(const PreparedLine& line) {
  if (line.kind == Kind::kSkip) return false;
  if (line.kind != Kind::kCommand) return true;
  return line.row->action != kRepeat && line.row->action != kPolygon;
}

bool RunLine(const PreparedLine& line, int number, RunContext& context) {
  if (context.pacer != nullptr && context.pacer->Engaged() && IsPacedLine(line)) [[unlikely]] {
    context.pacer->BeforeCommand(context.host, context.stop, context.script_line,
                                 context.body_item);
    if (context.stop.stop_requested()) return false;
  }
  switch (line.kind) {
    case Kind::kSkip: return true;
    case Kind::kUnrecognised: return Fail(context, number, messages::kUnrecognised);
    case Kind::kTooFewWords: return Fail(context, number, line.row->message);
    case Kind::kCommand: return CarryOut(line, number, context);
  }
  return true;
}

// Keeps RunContext::depth in step with the nesting of lists.
class DepthScope {
 public:
  explicit DepthScope(RunContext& context) : context_(context) { ++context_.depth; }
  ~DepthScope() { --context_.depth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  RunContext& context_;
};

}  // namespace

PreparedLine PrepareLine(std::string_view line) {
  PreparedLine prepared;
  const std::vector<Text> words = SplitWords(line);
  if (words.empty()) return prepared;
  prepared.row = FindCommand(words[0]);
  if (prepared.row == nullptr) {
    prepared.kind = IsSkippedLine(line, words[0]) ? Kind::kSkip : Kind::kUnrecognised;
    return prepared;
  }
  if (static_cast<int>(words.size()) < prepared.row->least_words) {
    prepared.kind = Kind::kTooFewWords;
    return prepared;
  }
  prepared.kind = Kind::kCommand;
  ConvertArguments(words, line, prepared);
  return prepared;
}

PreparedLines PrepareLines(const CommandList& lines) {
  PreparedLines prepared;
  prepared.reserve(lines.size());
  for (const Text& line : lines) prepared.push_back(PrepareLine(line));
  return prepared;
}

bool ExecuteLines(const CommandList& lines, RunContext& context) {
  return ExecuteLines(PrepareLines(lines), context);
}

bool ExecuteLines(const PreparedLines& lines, RunContext& context) {
  DepthScope scope(context);
  const bool script_level = context.depth == 1;
  const bool script_body = context.depth == 2;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (context.stop.stop_requested()) return false;
    const int number = static_cast<int>(i + 1);
    if (script_level) {
      context.script_line = number;
      context.body_item = 0;
    } else if (script_body) {
      context.body_item = number;
    }
    if (!RunLine(lines[i], number, context)) return false;
  }
  return true;
}

}  // namespace dravel
