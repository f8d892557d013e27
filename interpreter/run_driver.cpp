#include "interpreter/run_driver.h"

#include "interpreter/batch_ending_host.h"
#include "interpreter/messages.h"
#include "runtime/value.h"

namespace dravel {
namespace {

constexpr std::chrono::milliseconds kReturnGrace(100);

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

RunDriver::RunDriver(RunHost& host, RunCanvas& canvas) : host_(host), canvas_(canvas) {}

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
  auto session = std::make_shared<RunSession>();
  session_ = session;
  current_run_ = StartThread([this, session, input = std::move(input), keep_delays = keep_delays_](
                                 std::stop_token) { RunThreadMain(*session, input, keep_delays); });
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

bool RunDriver::Running() const { return current_run_ != nullptr && current_run_->Running(); }

void RunDriver::RunThreadMain(const RunSession& session, const RunInput& input, bool keep_delays) {
  const std::unique_ptr<TurtleOperations> turtle = canvas_.TurtleFor(session);
  // The window may wait for the canvas while it takes an effect.
  BatchEndingHost host(host_, *turtle);
  RunContext context{*turtle, host, session.Token()};
  context.pacer = pacer_;
  context.keep_delays = keep_delays;
  RunScript(input, context);
}

bool RunDriver::EndCurrentRun() {
  return EndThread(current_run_, [this](const std::function<void()>& request_thread_stop) {
    host_.UnderEffectsLock([&] {
      canvas_.UnderDrawingLock([&] {
        // The thread is marked ended first: once its session is stopped it
        // may return at once, and must not count as a run that ended by itself.
        request_thread_stop();
        session_->Stop();
      });
    });
  });
}

}  // namespace dravel
