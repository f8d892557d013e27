// What a run needs from the window around it: the editor and run count box
// texts, the hint box, the run button, the editor's focus, the beep and the
// wait of a delay line. The
// main window implements it over its widgets, dravel-render over plain
// strings, tests with fakes. The interpreter knows no widget.
//
// Effects carry the stop token of the run's session (run_session.h). A host
// drops an effect whose run was stopped before the effect was issued, and
// that check must not interleave with `UnderEffectsLock`: then, once a stop
// is through, nothing more of the stopped run shows. Effects issued by the
// window itself carry an empty token, which never stops. An effect may make
// the run wait for a window that falls behind, but never beyond a stop.
#pragma once

#include <functional>
#include <stop_token>

#include "runtime/delay.h"
#include "runtime/text.h"

namespace dravel {

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Read and written synchronously on the window's thread when a run starts.
  virtual Text EditorText() = 0;
  virtual Text RunCountText() = 0;
  virtual void DisableRunButton() = 0;

  // Effects, in the order issued; see above.
  virtual void ReplaceHint(const std::stop_token& run, const Text& text) = 0;
  virtual void AppendHint(const std::stop_token& run, const Text& text) = 0;
  virtual void SetRunCountText(const std::stop_token& run, const Text& text) = 0;
  virtual void EnableRunButton(const std::stop_token& run) = 0;
  virtual void FocusEditor(const std::stop_token& run) = 0;
  virtual void Beep(const std::stop_token& run) = 0;
  // A delay line's wait, on the run's thread and not an effect: `ms`
  // milliseconds, or less when `run` is stopped meanwhile; a negative `ms`
  // waits not at all. A host whose runs must not sleep replaces it.
  virtual void Delay(const std::stop_token& run, int ms) { dravel::Delay(ms, run); }
  // Before a text command, on the run's thread: a host whose text font comes
  // only when first wanted (the page's, fetched) gets it here, where the run
  // may wait, rather than inside the canvas. The default has it at hand.
  virtual void PrepareText(const std::stop_token& /*run*/) {}
  // The script line (1-based, in the editor) whose message ended the run:
  // a failing line, a stop command or a count line without a value. Issued
  // right after that message; hosts that do not mark lines ignore it.
  virtual void ReportFailingLine(const std::stop_token& /*run*/, int /*script_line*/) {}
  // When the message came from a repeat body or a polygon's expansion: the
  // 1-based item of that script line's body that ended the run. Issued right
  // after ReportFailingLine.
  virtual void ReportFailingItem(const std::stop_token& /*run*/, int /*script_line*/,
                                 int /*body_item*/) {}
  // While a run is paced (RunPacer): the script line and body item (0 outside
  // a body) about to be carried out.
  virtual void ReportExecutingLine(const std::stop_token& /*run*/, int /*script_line*/,
                                   int /*body_item*/) {}

  // Runs `step` so that no effect is between its token check and its being
  // queued or applied: the run driver stops a run's session inside it. A host
  // that applies every effect on the thread that stops runs needs no lock,
  // which is the default.
  virtual void UnderEffectsLock(const std::function<void()>& step) { step(); }
};

}  // namespace dravel
