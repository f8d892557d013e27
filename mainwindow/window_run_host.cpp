#include "mainwindow/window_run_host.h"

#include <QPushButton>

#include "mainwindow/edit_box.h"
#include "mainwindow/integer_box.h"
#include "runtime/beep_delay.h"

namespace dravel {

WindowRunHost::WindowRunHost(EditBox& editor, IntegerBox& run_count, EditBox& hint,
                             QPushButton& run_button)
    : editor_(&editor), run_count_(&run_count), hint_(&hint), run_button_(&run_button) {}

Text WindowRunHost::EditorText() { return editor_->Content(); }

Text WindowRunHost::RunCountText() { return run_count_->Content(); }

void WindowRunHost::DisableRunButton() { run_button_->setEnabled(false); }

template <typename Effect>
void WindowRunHost::Post(const std::stop_token& run, Effect effect) {
  // The hint box is the context: the effect is dropped with the window.
  QMetaObject::invokeMethod(
      hint_.data(),
      [run, effect = std::move(effect)] {
        if (!run.stop_requested()) effect();
      },
      Qt::QueuedConnection);
}

void WindowRunHost::ReplaceHint(const std::stop_token& run, const Text& text) {
  Post(run, [hint = hint_, text] {
    if (hint) hint->SetContent(text);
  });
}

void WindowRunHost::AppendHint(const std::stop_token& run, const Text& text) {
  Post(run, [hint = hint_, text] {
    if (hint) hint->AppendText(text);
  });
}

void WindowRunHost::SetRunCountText(const std::stop_token& run, const Text& text) {
  Post(run, [box = run_count_, text] {
    if (box) box->SetContent(text);
  });
}

void WindowRunHost::EnableRunButton(const std::stop_token& run) {
  Post(run, [button = run_button_] {
    if (button) button->setEnabled(true);
  });
}

void WindowRunHost::FocusEditor(const std::stop_token& run) {
  Post(run, [editor = editor_] {
    if (editor) editor->setFocus();
  });
}

void WindowRunHost::Beep(const std::stop_token& run) {
  Post(run, [] { dravel::Beep(); });
}

}  // namespace dravel
