#include "interpreter/run_driver.h"

#include "interpreter/messages.h"
#include "runtime/value.h"

namespace dravel {
namespace {

constexpr std::chrono::milliseconds kReturnGrace(100);

// The first count line's value, 0 when there is none; nullopt when a count
// line has no value, after reporting it.
std::optional<int32_t> ScanRunCount(const CommandList& lines, RunContext& context) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<Text> words = SplitWords(lines[i]);
    if (words.empty()) continue;
    if (words[0] != messages::kCountKeyword && words[0] != messages::kCountAlias) continue;
    if (words.size() >= 2) return ToInteger(words[1]);
    const int number = static_cast<int>(i + 1);
    Text message(messages::kLinePrefix);
    message += ToText(number);
    message += messages::kCountWrong;
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

RunDriver::RunDriver(RunHost& host, TurtleOperations& turtle) : host_(host), turtle_(turtle) {}

RunDriver::~RunDriver() {
  EndCurrentRun();
  current_run_.reset();
}

bool RunDriver::StartRun() {
  if (current_run_ != nullptr) {
    // A run that enabled the button may still be returning; one that does not
    // return soon, and was not ended, is in progress.
    if (!current_run_->Ended() && !current_run_->Wait(kReturnGrace)) return false;
    // Its thread is done or stopping; waiting for it keeps one run thread at
    // a time, and it never waits for the window.
    current_run_.reset();
  }
  host_.DisableRunButton();
  RunInput input{host_.EditorText(), host_.RunCountText()};
  current_run_ = StartThread([this, input = std::move(input)](std::stop_token stop) {
    RunThreadMain(std::move(stop), input);
  });
  if (current_run_ != nullptr) return true;
  host_.EnableRunButton({});
  return false;
}

bool RunDriver::StopRun() {
  if (!EndCurrentRun()) return false;
  host_.AppendHint({}, Text(messages::kRunStopped));
  host_.EnableRunButton({});
  return true;
}

bool RunDriver::WaitForRun(std::optional<std::chrono::milliseconds> timeout) {
  return WaitForThread(current_run_, timeout);
}

void RunDriver::RunThreadMain(std::stop_token stop, const RunInput& input) {
  turtle_.SetStopToken(stop);
  RunContext context{turtle_, host_, std::move(stop)};
  context.pacer = pacer_;
  RunScript(input, context);
}

bool RunDriver::EndCurrentRun() {
  // The stop is requested under the host's and the canvas's locks, so that no
  // message or drawing of the run is between its check and its effect.
  return EndThread(current_run_, [this](const std::function<void()>& request_stop) {
    host_.StopUnderLock([&] { turtle_.StopUnderLock(request_stop); });
  });
}

}  // namespace dravel
