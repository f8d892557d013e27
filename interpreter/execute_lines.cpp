#include "interpreter/execute_lines.h"

#include <cassert>

#include "interpreter/messages.h"
#include "runtime/value.h"

namespace dravel {
namespace {

using Kind = PreparedLine::Kind;
using enum CommandAction;

bool IsSkippedLine(std::string_view line, std::string_view first_word) {
  const CommandRow& count = CountCommand();
  return line.starts_with(messages::kCommentStart) || first_word == count.keyword ||
         first_word == count.alias;
}

Arguments ConvertArguments(const CommandRow& row, const std::vector<Text>& words,
                           std::string_view line) {
  assert(static_cast<int>(words.size()) >= row.least_words);
  switch (row.shape) {
    case ArgumentShape::kNone: return std::monostate{};
    case ArgumentShape::kNumber: return Numbers{ToNumber(words[1]), 0};
    case ArgumentShape::kTwoNumbers: return Numbers{ToNumber(words[1]), ToNumber(words[2])};
    case ArgumentShape::kInteger: return ToInteger(words[1]);
    case ArgumentShape::kWord: return words[1];
    case ArgumentShape::kRepeat:
      return RepeatArguments{ToInteger(words[1]),
                             TextBetween(line, messages::kBodyOpen, messages::kBodyClose)};
    case ArgumentShape::kPolygon: return PolygonArguments{ToInteger(words[1]), words[1], words[2]};
  }
  return std::monostate{};
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
  const auto& repeat = std::get<RepeatArguments>(line.arguments);
  const CommandList body = SplitText(repeat.body, "|");
  if (body.empty()) return Fail(context, number, line.row->message);
  const PreparedLines prepared = PrepareLines(body);
  for (int32_t pass = 0; pass < repeat.count; ++pass) {
    if (!ExecuteLines(prepared, context)) return false;
  }
  return true;
}

// A regular polygon is the repeat line that draws it, turning by
// 180 - 180 / n as written back and read as text.
bool Polygon(const PreparedLine& line, RunContext& context) {
  const auto& polygon = std::get<PolygonArguments>(line.arguments);
  const Text angle = polygon.sides == 0 ? Text("0") : ToText(180.0 - 180.0 / polygon.sides);
  const Text repeat = RowOf(kRepeat).keyword + ' ' + polygon.sides_word + ' ' +
                      messages::kBodyOpen + RowOf(kForward).keyword + ' ' + polygon.side_word +
                      '|' + RowOf(kTurnLeft).keyword + ' ' + angle + messages::kBodyClose;
  // Carried out as the repeat itself, so its body items are the script
  // line's, as for a repeat written out.
  return Repeat(PrepareLine(repeat), 1, context);
}

double First(const PreparedLine& line) { return std::get<Numbers>(line.arguments).first; }
double Second(const PreparedLine& line) { return std::get<Numbers>(line.arguments).second; }

bool CarryOut(const PreparedLine& line, int number, RunContext& context) {
  TurtleOperations& turtle = context.turtle;
  switch (line.row->action) {
    case kForward: turtle.Forward(First(line)); break;
    case kBack: turtle.Back(First(line)); break;
    case kTurnLeft: turtle.TurnLeft(First(line)); break;
    case kTurnRight: turtle.TurnRight(First(line)); break;
    case kHome: turtle.Home(); break;
    case kClear: turtle.Clear(); break;
    case kCircle: turtle.Circle(First(line)); break;
    case kPenUp: turtle.PenUp(); break;
    case kPenDown: turtle.PenDown(); break;
    case kDelay:
      context.turtle.EndBatch();  // the window paints while the run waits
      if (context.keep_delays) context.host.Delay(context.stop, std::get<int32_t>(line.arguments));
      break;
    case kEllipse: turtle.Ellipse(First(line), Second(line)); break;
    case kRectangle: turtle.Rectangle(First(line), Second(line)); break;
    case kSetX: turtle.SetX(First(line)); break;
    case kSetY: turtle.SetY(First(line)); break;
    case kSetXY: turtle.SetXY(First(line), Second(line)); break;
    case kShow: turtle.Show(); break;
    case kHide: turtle.Hide(); break;
    case kWriteText:
      context.host.PrepareText(context.stop);
      turtle.WriteText(std::get<Text>(line.arguments));
      break;
    case kRepeat: return Repeat(line, number, context);
    case kPolygon: return Polygon(line, context);
    case kStop: return Fail(context, number, messages::kStoppedByPrefix, messages::kStoppedBy);
    case kCount: assert(false && "count lines have no row of the table"); break;
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
  prepared.arguments = ConvertArguments(*prepared.row, words, line);
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
