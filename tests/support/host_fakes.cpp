#include "support/host_fakes.h"

#include "runtime/gbk_codec.h"

namespace dravel::testing {

template <typename Effect>
void RecordingHost::Apply(const std::stop_token& run, std::string name, Effect effect) {
  std::lock_guard lock(mutex_);
  if (run.stop_requested()) return;
  effect();
  effects_.push_back(std::move(name));
  changed_.notify_all();
}

Text RecordingHost::EditorText() {
  std::lock_guard lock(mutex_);
  return editor_;
}

Text RecordingHost::RunCountText() {
  std::lock_guard lock(mutex_);
  return run_count_;
}

void RecordingHost::DisableRunButton() {
  std::lock_guard lock(mutex_);
  run_button_enabled_ = false;
}

void RecordingHost::ReplaceHint(const std::stop_token& run, const Text& text) {
  Apply(run, "hint", [&] { hint_ = text; });
}

void RecordingHost::AppendHint(const std::stop_token& run, const Text& text) {
  Apply(run, "append", [&] { hint_ += text; });
}

void RecordingHost::SetRunCountText(const std::stop_token& run, const Text& text) {
  Apply(run, "count", [&] { run_count_ = text; });
}

void RecordingHost::EnableRunButton(const std::stop_token& run) {
  Apply(run, "enable", [&] { run_button_enabled_ = true; });
}

void RecordingHost::FocusEditor(const std::stop_token& run) {
  Apply(run, "focus", [] {});
}

void RecordingHost::Beep(const std::stop_token& run) {
  Apply(run, "beep", [] {});
}

void RecordingHost::Delay(const std::stop_token& run, int ms) {
  if (on_delay) {
    on_delay(run, ms);
  } else {
    RunHost::Delay(run, ms);
  }
}

void RecordingHost::ReportFailingLine(const std::stop_token& run, int script_line) {
  Apply(run, "line " + std::to_string(script_line), [] {});
}

void RecordingHost::UnderEffectsLock(const std::function<void()>& step) {
  std::lock_guard lock(mutex_);
  step();
}

void RecordingHost::SetEditorText(Text text) {
  std::lock_guard lock(mutex_);
  editor_ = std::move(text);
}

std::string RecordingHost::HintUtf8() const { return GbkToUtf8(Hint()); }

Text RecordingHost::Hint() const {
  std::lock_guard lock(mutex_);
  return hint_;
}

Text RecordingHost::RunCount() const {
  std::lock_guard lock(mutex_);
  return run_count_;
}

bool RecordingHost::RunButtonEnabled() const {
  std::lock_guard lock(mutex_);
  return run_button_enabled_;
}

std::vector<std::string> RecordingHost::Effects() const {
  std::lock_guard lock(mutex_);
  return effects_;
}

void RecordingHost::WaitForEffects(size_t count) const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return effects_.size() >= count; });
}

}  // namespace dravel::testing
