// The window as dravel-render stands it in: the editor, the run count box and
// the hint box as plain strings, the run button as a flag. Effects apply at
// once on the run thread, under one lock that a stop also takes, so nothing
// of a stopped run shows. The run button, the focus and the beep have nothing
// to show here.
//
// The hint text is bounded as the window's hint box is (BoundedHint): a run
// may append without end (a count of two thousand million passes).
#pragma once

#include <mutex>
#include <utility>

#include "interpreter/run_host.h"
#include "runtime/bounded_hint.h"

namespace dravel {

class RenderHost : public RunHost {
 public:
  // The hint starts as the window's hint box does, with its header, so a run
  // stopped before it began still shows it.
  RenderHost(Text script, Text run_count);

  Text EditorText() override;
  Text RunCountText() override;
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token& run, const Text& text) override;
  void AppendHint(const std::stop_token& run, const Text& text) override;
  void SetRunCountText(const std::stop_token& run, const Text& text) override;
  void EnableRunButton(const std::stop_token&) override {}
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {}
  void ReportFailingLine(const std::stop_token& run, int script_line) override;
  void ReportFailingItem(const std::stop_token& run, int script_line, int body_item) override;
  void UnderEffectsLock(const std::function<void()>& step) override;

  Text Hint() const;
  // Where the message that ended the run came from: the script line (0 when
  // none did) and the body item inside it (0 outside a body).
  std::pair<int, int> FailingPlace() const;

 private:
  mutable std::mutex mutex_;
  Text script_;
  Text run_count_;
  BoundedHint hint_;
  int failing_line_ = 0;
  int failing_item_ = 0;
};

}  // namespace dravel
