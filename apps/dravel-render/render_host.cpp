#include "apps/dravel-render/render_host.h"

#include "interpreter/messages.h"

namespace dravel {

RenderHost::RenderHost(Text script, Text run_count)
    : script_(std::move(script)), run_count_(std::move(run_count)) {
  hint_.Replace(Text(messages::kHintHeader));
}

Text RenderHost::EditorText() {
  std::lock_guard lock(mutex_);
  return script_;
}

Text RenderHost::RunCountText() {
  std::lock_guard lock(mutex_);
  return run_count_;
}

void RenderHost::ReplaceHint(const std::stop_token& run, const Text& text) {
  std::lock_guard lock(mutex_);
  if (!run.stop_requested()) hint_.Replace(text);
}

void RenderHost::AppendHint(const std::stop_token& run, const Text& text) {
  std::lock_guard lock(mutex_);
  if (!run.stop_requested()) hint_.Append(text);
}

void RenderHost::ReportFailingLine(const std::stop_token& run, int script_line) {
  std::lock_guard lock(mutex_);
  if (run.stop_requested()) return;
  failing_line_ = script_line;
  failing_item_ = 0;
}

void RenderHost::ReportFailingItem(const std::stop_token& run, int script_line, int body_item) {
  std::lock_guard lock(mutex_);
  if (run.stop_requested()) return;
  failing_line_ = script_line;
  failing_item_ = body_item;
}

std::pair<int, int> RenderHost::FailingPlace() const {
  std::lock_guard lock(mutex_);
  return {failing_line_, failing_item_};
}

void RenderHost::SetRunCountText(const std::stop_token& run, const Text& text) {
  std::lock_guard lock(mutex_);
  if (!run.stop_requested()) run_count_ = text;
}

void RenderHost::UnderEffectsLock(const std::function<void()>& step) {
  std::lock_guard lock(mutex_);
  step();
}

Text RenderHost::Hint() const {
  std::lock_guard lock(mutex_);
  return hint_.Joined();
}

}  // namespace dravel
