#include "interpreter/run_script.h"

#include <optional>

#include "interpreter/messages.h"
#include "runtime/value.h"

namespace dravel {
namespace {

// The first count line's value, 0 when there is none; nullopt when a count
// line has no value, after reporting it.
std::optional<int32_t> ScanRunCount(const CommandList& lines, RunContext& context) {
  const CommandRow& count = CountCommand();
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<Text> words = SplitWords(lines[i]);
    if (words.empty()) continue;
    if (words[0] != count.keyword && words[0] != count.alias) continue;
    if (static_cast<int>(words.size()) >= count.least_words) return ToInteger(words[1]);
    const int number = static_cast<int>(i + 1);
    const Text message = messages::kLinePrefix + ToText(number) + count.message;
    context.host.AppendHint(context.stop, message);
    context.host.ReportFailingLine(context.stop, number);
    context.host.EnableRunButton(context.stop);
    context.host.Beep(context.stop);
    return std::nullopt;
  }
  return 0;
}

bool RunPasses(const CommandList& lines, int32_t run_count, RunContext& context) {
  const PreparedLines prepared = PrepareLines(lines);
  for (int32_t pass = 1; pass <= run_count; ++pass) {
    if (!ExecuteLines(prepared, context)) {
      if (context.stop.stop_requested()) return false;
      context.host.FocusEditor(context.stop);
      context.host.Beep(context.stop);
      return false;
    }
    Text message(messages::kLinePrefix);
    message += ToText(pass);
    message += messages::kPassDone;
    context.host.AppendHint(context.stop, message);
  }
  return true;
}

}  // namespace

void RunScript(const RunInput& input, RunContext& context) {
  RunHost& host = context.host;
  host.ReplaceHint(context.stop, Text(messages::kHintHeader));
  const Text run_count_box = input.run_count_box.empty() ? Text("1") : input.run_count_box;
  if (input.run_count_box.empty()) host.SetRunCountText(context.stop, run_count_box);
  host.AppendHint(context.stop, Text(messages::kRunStarted));
  const CommandList lines = SplitLines(input.script);
  const std::optional<int32_t> scanned = ScanRunCount(lines, context);
  if (!scanned) return;
  const int32_t run_count = *scanned != 0 ? *scanned : ToInteger(run_count_box);
  if (!RunPasses(lines, run_count, context)) return;
  host.AppendHint(context.stop, Text(messages::kRunDone));
  host.EnableRunButton(context.stop);
}

}  // namespace dravel
