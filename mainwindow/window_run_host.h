// WindowRunHost: the run driver's view of the main window. Reads happen on the
// window's thread when a run starts; every effect the run thread issues is
// queued to the window's thread in the order issued and applied there only if
// its run has not been stopped by then. Stops are requested on the window's
// thread too, so a stopped run's effects already on their way are dropped
// without any lock. The run thread never waits for the window.
#pragma once

#include <QPointer>

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

 private:
  // Queues `effect` to the window's thread, dropped there if `run` has stopped.
  template <typename Effect>
  void Post(const std::stop_token& run, Effect effect);

  QPointer<EditBox> editor_;
  QPointer<IntegerBox> run_count_;
  QPointer<EditBox> hint_;
  QPointer<QPushButton> run_button_;
};

}  // namespace dravel
