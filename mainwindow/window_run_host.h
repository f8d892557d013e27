// WindowRunHost: the run driver's view of the main window. Reads happen on the
// window's thread when a run starts. Every effect the run thread issues goes
// into one queue, in the order issued; the window's thread empties it in one
// go and applies each effect only if its run has not been stopped by then.
// Stops are requested on the window's thread too, so a stopped run's effects
// already on their way are dropped without any lock. Consecutive appends of
// one run are joined into one, so a run that reports a million passes costs
// the window a few large appends, not a million events. The run thread never
// waits for the window.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "interpreter/run_host.h"

class QPushButton;

namespace dravel {

class EditBox;
class IntegerBox;

class WindowRunHost final : public RunHost {
 public:
  WindowRunHost(EditBox& editor, IntegerBox& run_count, EditBox& hint, QPushButton& run_button);

  Text EditorText() override;
  Text RunCountText() override;
  void DisableRunButton() override;

  void ReplaceHint(const std::stop_token& run, const Text& text) override;
  void AppendHint(const std::stop_token& run, const Text& text) override;
  void SetRunCountText(const std::stop_token& run, const Text& text) override;
  void EnableRunButton(const std::stop_token& run) override;
  void FocusEditor(const std::stop_token& run) override;
  void Beep(const std::stop_token& run) override;
  void ReportFailingLine(const std::stop_token& run, int script_line) override;
  void ReportFailingItem(const std::stop_token& run, int script_line, int body_item) override;
  void ReportExecutingLine(const std::stop_token& run, int script_line, int body_item) override;

  // Receives the places runs fail at (`failing`) or stand at, in order with
  // the other effects; `body_item` is 0 outside a body.
  using LocationSink = std::function<void(int script_line, int body_item, bool failing)>;
  void SetLocationSink(LocationSink sink) { location_sink_ = std::move(sink); }

 private:
  enum class Kind {
    kReplaceHint, kAppendHint, kSetRunCount, kEnableRunButton, kFocusEditor, kBeep,
    kFailingLine, kRunningLine,
  };
  struct Effect {
    Kind kind;
    std::stop_token run;
    Text text;
    int line = 0;
    int item = 0;
  };

  void Push(Kind kind, const std::stop_token& run, const Text& text = {}, int line = 0,
            int item = 0);
  // On the window's thread: applies what is queued.
  void Deliver();
  void Apply(const Effect& effect);

  // The window outlives every run: it ends the run before its controls go.
  EditBox& editor_;
  IntegerBox& run_count_;
  EditBox& hint_;
  QPushButton& run_button_;
  std::mutex mutex_;
  std::vector<Effect> queued_;
  LocationSink location_sink_;
};

}  // namespace dravel
