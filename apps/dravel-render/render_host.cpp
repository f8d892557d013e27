#include "render_host.h"

namespace dravel {

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
  if (!run.stop_requested()) hint_ = text;
}

void RenderHost::AppendHint(const std::stop_token& run, const Text& text) {
  std::lock_guard lock(mutex_);
  if (!run.stop_requested()) hint_ += text;
}

void RenderHost::SetRunCountText(const std::stop_token& run, const Text& text) {
  std::lock_guard lock(mutex_);
  if (!run.stop_requested()) run_count_ = text;
}

void RenderHost::StopUnderLock(const std::function<void()>& request_stop) {
  std::lock_guard lock(mutex_);
  request_stop();
}

Text RenderHost::Hint() const {
  std::lock_guard lock(mutex_);
  return hint_;
}

}  // namespace dravel
