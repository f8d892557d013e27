#include "support/interpreter_fakes.h"

#include "runtime/value.h"

namespace dravel::testing {

void RecordingTurtle::WriteText(std::string_view gbk_text) {
  Record("WriteText " + Utf8(gbk_text));
}

void RecordingTurtle::SetStopToken(std::stop_token token) {
  std::lock_guard lock(mutex_);
  stop_ = std::move(token);
}

void RecordingTurtle::StopUnderLock(const std::function<void()>& request_stop) {
  std::lock_guard lock(mutex_);
  request_stop();
}

std::vector<std::string> RecordingTurtle::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void RecordingTurtle::WaitForCalls(size_t count) const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return calls_.size() >= count; });
}

void RecordingTurtle::Record(std::string call) {
  std::lock_guard lock(mutex_);
  if (stop_.stop_requested()) return;
  calls_.push_back(std::move(call));
  changed_.notify_all();
}

void RecordingTurtle::Record(std::string_view name, double a) {
  Record(std::string(name) + " " + ToText(a));
}

void RecordingTurtle::Record(std::string_view name, double a, double b) {
  Record(std::string(name) + " " + ToText(a) + " " + ToText(b));
}

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

void RecordingHost::FocusEditor(const std::stop_token& run) { Apply(run, "focus", [] {}); }

void RecordingHost::Beep(const std::stop_token& run) { Apply(run, "beep", [] {}); }

void RecordingHost::ReportFailingLine(const std::stop_token& run, int script_line) {
  Apply(run, "line " + std::to_string(script_line), [] {});
}

void RecordingHost::StopUnderLock(const std::function<void()>& request_stop) {
  std::lock_guard lock(mutex_);
  request_stop();
}

void RecordingHost::SetEditorText(Text text) {
  std::lock_guard lock(mutex_);
  editor_ = std::move(text);
}

std::string RecordingHost::HintUtf8() const { return Utf8(Hint()); }

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
