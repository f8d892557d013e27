#include "apps/dravel-render/render_run.h"

#include <tuple>

#include "apps/dravel-render/render_entry.h"
#include "apps/dravel-render/render_host.h"
#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "interpreter/run_driver.h"
#include "marking/teacher_words.h"
#include "runtime/gbk_codec.h"

namespace dravel {

void SetUpCanvas(CanvasCore& canvas, const RenderOptions& options, bool record,
                 const TextMaskPainter& text) {
  canvas.Turtle().Clear();
  auto locked = canvas.Lock();
  SetRenderLook(*locked, options);
  locked->SetTextPainter(text);
  locked->KeepRecord(record);
}

namespace {

// True when the timeout pressed stop.
bool RunUntil(RenderHost& host, CanvasCore& canvas,
              std::optional<std::chrono::milliseconds> timeout, bool keep_delays) {
  // Not started at all: a run thread started and stopped at once might
  // still get to its first commands, or even to its end.
  if (timeout && timeout->count() <= 0) {
    host.AppendHint({}, Text(messages::kRunStopped));
    return true;
  }
  RunDriver driver(host, canvas);
  driver.SetKeepDelays(keep_delays);
  driver.StartRun();
  const bool stopped = !driver.WaitForRun(timeout) && driver.StopRun();
  driver.WaitForRun();
  return stopped;
}

}  // namespace

RunOutcome RunOnCanvas(const RenderOptions& options, const Text& script, CanvasCore& canvas,
                       std::optional<std::chrono::milliseconds> timeout, bool keep_delays) {
  RenderHost host(script, Utf8ToGbk(options.run_count));
  RunOutcome outcome;
  outcome.stopped = RunUntil(host, canvas, timeout, keep_delays);
  outcome.hint = host.Hint();
  outcome.exit_status = outcome.hint.ends_with(messages::kRunDone) ? 0 : 1;
  std::tie(outcome.failing_line, outcome.failing_item) = host.FailingPlace();
  return outcome;
}

std::string PlaceText(const RunOutcome& outcome) {
  if (outcome.exit_status == 0 || outcome.failing_line == 0) return {};
  const std::string line = std::to_string(outcome.failing_line);
  if (outcome.failing_item == 0) return SaidText(Said::kLine, {line});
  return SaidText(Said::kLineItem, {line, std::to_string(outcome.failing_item)});
}

}  // namespace dravel
