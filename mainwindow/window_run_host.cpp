#include "mainwindow/window_run_host.h"

#include <QApplication>
#include <QPushButton>
#include <chrono>

#include "mainwindow/edit_box.h"
#include "mainwindow/integer_box.h"

namespace dravel {
namespace {

// How long one delivery may keep the window's thread, and the most text one
// append hands the hint box at a time.
constexpr std::chrono::milliseconds kDeliverySlice(15);
constexpr size_t kAppendPiece = size_t{64} << 10;

// Where to cut a long append: after its last line break within the piece, or
// (a piece without one) after its last whole character.
size_t PieceLength(const Text& text) {
  if (text.size() <= kAppendPiece) return text.size();
  const size_t newline = text.rfind('\n', kAppendPiece - 1);
  if (newline != Text::npos) return newline + 1;
  size_t at = 0;
  while (at < kAppendPiece) at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
  return std::min(at, text.size());
}

}  // namespace

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

void WindowRunHost::Delay(const std::stop_token& run, int ms) {
  if (delay_wait_) {
    delay_wait_(run, ms);
  } else {
    RunHost::Delay(run, ms);
  }
}

void WindowRunHost::ReportFailingLine(const std::stop_token& run, int script_line) {
  Push(Kind::kFailingLine, run, {}, script_line);
}

void WindowRunHost::ReportFailingItem(const std::stop_token& run, int script_line, int body_item) {
  Push(Kind::kFailingLine, run, {}, script_line, body_item);
}

void WindowRunHost::ReportExecutingLine(const std::stop_token& run, int script_line,
                                        int body_item) {
  Push(Kind::kRunningLine, run, {}, script_line, body_item);
}

void WindowRunHost::UnderEffectsLock(const std::function<void()>& step) {
  {
    std::lock_guard lock(mutex_);
    step();
  }
  room_.notify_all();
}

void WindowRunHost::Push(Kind kind, const std::stop_token& run, const Text& text, int line,
                         int item) {
  std::unique_lock lock(mutex_);
  // Only a run waits for the window; the window's own effects never do.
  if (run.stop_possible()) {
    room_.wait(lock, run,
               [this] { return queued_bytes_ < kQueuedBytes && queued_.size() < kQueuedEffects; });
  }
  if (run.stop_requested()) return;
  queued_bytes_ += text.size();
  if (kind == Kind::kAppendHint && !queued_.empty() && queued_.back().kind == kind &&
      queued_.back().run == run) {
    queued_.back().text += text;
  } else {
    queued_.push_back({kind, run, text, line, item});
  }
  PostDelivery();
}

void WindowRunHost::PostDelivery() {
  if (delivery_posted_) return;
  delivery_posted_ = true;
  // The hint box is the context, so a delivery that outlives the window is
  // dropped with it.
  QMetaObject::invokeMethod(
      &hint_, [this] { Deliver(); }, Qt::QueuedConnection);
}

bool WindowRunHost::TakeNext(Effect& effect) {
  if (queued_.empty()) return false;
  Effect& front = queued_.front();
  const size_t piece =
      front.kind == Kind::kAppendHint ? PieceLength(front.text) : front.text.size();
  if (piece < front.text.size()) {
    effect = {front.kind, front.run, front.text.substr(0, piece), front.line, front.item};
    front.text.erase(0, piece);
  } else {
    effect = std::move(front);
    queued_.pop_front();
  }
  queued_bytes_ -= effect.text.size();
  return true;
}

void WindowRunHost::Deliver() {
  {
    std::lock_guard lock(mutex_);
    delivery_posted_ = false;
  }
  const auto deadline = std::chrono::steady_clock::now() + kDeliverySlice;
  while (std::chrono::steady_clock::now() < deadline) {
    Effect effect;
    {
      std::lock_guard lock(mutex_);
      if (!TakeNext(effect)) return;
    }
    room_.notify_all();
    Apply(effect);
  }
  // The rest waits for the next slice, after the window's own events.
  std::lock_guard lock(mutex_);
  if (!queued_.empty()) PostDelivery();
}

void WindowRunHost::DeliverAll() {
  for (;;) {
    Effect effect;
    {
      std::lock_guard lock(mutex_);
      if (!TakeNext(effect)) return;
    }
    room_.notify_all();
    Apply(effect);
  }
}

void WindowRunHost::Apply(const Effect& effect) {
  switch (effect.kind) {
    case Kind::kReplaceHint: hint_.SetContent(effect.text); break;
    case Kind::kAppendHint: hint_.AppendText(effect.text); break;
    case Kind::kSetRunCount: run_count_.SetContent(effect.text); break;
    case Kind::kEnableRunButton:
      run_button_.setEnabled(true);
      if (end_sink_) end_sink_();
      break;
    case Kind::kFocusEditor: editor_.setFocus(); break;
    case Kind::kBeep:
      if (beep_sound_) {
        beep_sound_();
      } else {
        QApplication::beep();
      }
      break;
    case Kind::kFailingLine:
    case Kind::kRunningLine:
      if (location_sink_)
        location_sink_(effect.line, effect.item, effect.kind == Kind::kFailingLine);
      break;
  }
}

}  // namespace dravel
