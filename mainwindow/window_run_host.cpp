#include "mainwindow/window_run_host.h"

#include <QPushButton>

#include "mainwindow/edit_box.h"
#include "mainwindow/integer_box.h"
#include "runtime/beep_delay.h"

namespace dravel {

WindowRunHost::WindowRunHost(EditBox& editor, IntegerBox& run_count, EditBox& hint,
                             QPushButton& run_button)
    : editor_(editor), run_count_(run_count), hint_(hint), run_button_(run_button) {}

Text WindowRunHost::EditorText() { return editor_.Content(); }

Text WindowRunHost::RunCountText() { return run_count_.Content(); }

void WindowRunHost::DisableRunButton() { run_button_.setEnabled(false); }

void WindowRunHost::ReplaceHint(const std::stop_token& run, const Text& text) {
  Push(Kind::kReplaceHint, run, text);
}

void WindowRunHost::AppendHint(const std::stop_token& run, const Text& text) {
  Push(Kind::kAppendHint, run, text);
}

void WindowRunHost::SetRunCountText(const std::stop_token& run, const Text& text) {
  Push(Kind::kSetRunCount, run, text);
}

void WindowRunHost::EnableRunButton(const std::stop_token& run) {
  Push(Kind::kEnableRunButton, run);
}

void WindowRunHost::FocusEditor(const std::stop_token& run) { Push(Kind::kFocusEditor, run); }

void WindowRunHost::Beep(const std::stop_token& run) { Push(Kind::kBeep, run); }

void WindowRunHost::ReportFailingLine(const std::stop_token& run, int script_line) {
  Push(Kind::kFailingLine, run, {}, script_line);
}

void WindowRunHost::ReportFailingItem(const std::stop_token& run, int script_line,
                                      int body_item) {
  Push(Kind::kFailingLine, run, {}, script_line, body_item);
}

void WindowRunHost::ReportExecutingLine(const std::stop_token& run, int script_line,
                                        int body_item) {
  Push(Kind::kRunningLine, run, {}, script_line, body_item);
}

void WindowRunHost::Push(Kind kind, const std::stop_token& run, const Text& text, int line,
                         int item) {
  std::lock_guard lock(mutex_);
  const bool was_empty = queued_.empty();
  if (kind == Kind::kAppendHint && !was_empty && queued_.back().kind == kind &&
      queued_.back().run == run) {
    queued_.back().text += text;
    return;
  }
  queued_.push_back({kind, run, text, line, item});
  // One delivery per batch; the hint box is the context, so a delivery that
  // outlives the window is dropped with it.
  if (was_empty) QMetaObject::invokeMethod(&hint_, [this] { Deliver(); }, Qt::QueuedConnection);
}

void WindowRunHost::Deliver() {
  std::vector<Effect> effects;
  {
    std::lock_guard lock(mutex_);
    effects.swap(queued_);
  }
  for (const Effect& effect : effects) {
    if (!effect.run.stop_requested()) Apply(effect);
  }
}

void WindowRunHost::Apply(const Effect& effect) {
  switch (effect.kind) {
    case Kind::kReplaceHint: hint_.SetContent(effect.text); break;
    case Kind::kAppendHint: hint_.AppendText(effect.text); break;
    case Kind::kSetRunCount: run_count_.SetContent(effect.text); break;
    case Kind::kEnableRunButton: run_button_.setEnabled(true); break;
    case Kind::kFocusEditor: editor_.setFocus(); break;
    case Kind::kBeep: dravel::Beep(); break;
    case Kind::kFailingLine:
    case Kind::kRunningLine:
      if (location_sink_) location_sink_(effect.line, effect.item, effect.kind == Kind::kFailingLine);
      break;
  }
}

}  // namespace dravel
