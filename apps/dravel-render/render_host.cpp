#include "render_host.h"

#include <algorithm>
#include <string>

#include "interpreter/messages.h"

namespace dravel {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

uint64_t CountLines(std::string_view text) {
  uint64_t lines = 0;
  for (size_t at = text.find(kLineBreak); at != std::string_view::npos;
       at = text.find(kLineBreak, at + kLineBreak.size())) {
    ++lines;
  }
  return lines;
}

}  // namespace

void BoundedHint::Replace(const Text& text) {
  head_.clear();
  tail_.clear();
  head_full_ = false;
  left_out_lines_ = 0;
  Append(text);
}

void BoundedHint::Append(const Text& text) {
  if (!head_full_ && head_.size() + text.size() <= kHeadBytes) {
    head_ += text;
    return;
  }
  head_full_ = true;
  tail_ += text;
  // Trimming only once the tail is twice its size keeps appending linear.
  if (tail_.size() > 2 * kTailBytes) TrimTail();
}

// Drops whole lines from the front until head and tail are within their sum.
// A cut after a line break never splits a double-byte character.
void BoundedHint::TrimTail() {
  const size_t room = kHeadBytes + kTailBytes - head_.size();
  const size_t excess = tail_.size() - std::min(tail_.size(), room);
  const size_t cut = tail_.find(kLineBreak, excess);
  if (cut == Text::npos) return;
  const size_t keep_from = cut + kLineBreak.size();
  left_out_lines_ += CountLines(std::string_view(tail_).substr(0, keep_from));
  tail_.erase(0, keep_from);
}

Text BoundedHint::Joined() const {
  BoundedHint trimmed = *this;
  if (head_.size() + tail_.size() > kHeadBytes + kTailBytes) trimmed.TrimTail();
  Text joined = trimmed.head_;
  if (trimmed.left_out_lines_ > 0) {
    joined += "[dravel-render: ";
    joined += std::to_string(trimmed.left_out_lines_);
    joined += " lines left out]\r\n";
  }
  joined += trimmed.tail_;
  return joined;
}

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
