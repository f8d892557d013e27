#include "runtime/bounded_hint.h"

#include <cassert>
#include <string>
#include <utility>

#include "runtime/system_text.h"

namespace dravel {
namespace {

// Where the first line of `text` ends, as text boxes break lines (CR LF, a
// lone CR or a lone LF), and the break's length; npos when it does not end.
std::pair<size_t, size_t> FirstBreak(std::string_view text) {
  const size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return {at, 0};
  const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
  return {at, crlf ? 2 : 1};
}

}  // namespace

BoundedHint::BoundedHint(size_t head_bytes, size_t tail_bytes)
    : head_bound_(head_bytes), tail_bound_(tail_bytes) {}

Text BoundedHint::MarkerLine(uint64_t lines) {
  static const Text prefix = SystemText("……中间略去 ");
  static const Text suffix = SystemText(" 行……\r\n");
  return prefix + std::to_string(lines) + suffix;
}

void BoundedHint::Replace(std::string_view text) {
  head_.clear();
  head_full_ = false;
  left_out_lines_ = 0;
  tail_.clear();
  tail_start_ = 0;
  tail_lines_.clear();
  Append(text);
}

BoundedHint::Change BoundedHint::Append(std::string_view text) {
  Change change;
  if (!head_full_ && head_.size() + text.size() <= head_bound_) {
    head_ += text;
    change.to_head = text.size();
    return change;
  }
  if (!head_full_) {
    head_full_ = true;
    // An unfinished last line of the head stays the head's.
    if (!head_.empty() && head_.back() != '\n' && head_.back() != '\r') {
      const auto [at, length] = FirstBreak(text);
      change.to_head = at == std::string_view::npos ? text.size() : at + length;
      head_ += text.substr(0, change.to_head);
    }
  }
  AppendToTail(text.substr(change.to_head));
  if (Tail().size() > tail_bound_ + kTrimStep) change.dropped_lines = TrimTail();
  return change;
}

void BoundedHint::AppendToTail(std::string_view text) {
  if (text.empty()) return;
  if (tail_lines_.empty()) tail_lines_.push_back(0);
  // A CR LF cut between two appends is one break, the line the CR ended.
  if (text.front() == '\n' && tail_lines_.size() > 1 && tail_lines_.back() == 0 &&
      tail_.back() == '\r') {
    ++tail_lines_[tail_lines_.size() - 2];
    tail_ += '\n';
    text.remove_prefix(1);
  }
  tail_ += text;
  for (;;) {
    const auto [at, length] = FirstBreak(text);
    if (at == std::string_view::npos) {
      tail_lines_.back() += text.size();
      return;
    }
    tail_lines_.back() += at + length;
    tail_lines_.push_back(0);
    text.remove_prefix(at + length);
  }
}

// Drops whole lines from the tail's front down to its bound; the line still
// being written stays. Gives the lines dropped.
uint64_t BoundedHint::TrimTail() {
  uint64_t dropped = 0;
  size_t size = Tail().size();
  while (size > tail_bound_ && tail_lines_.size() > 1) {
    size -= tail_lines_.front();
    tail_start_ += tail_lines_.front();
    tail_lines_.pop_front();
    ++dropped;
  }
  left_out_lines_ += dropped;
  // The bytes before the tail go once they are as many as the tail's.
  if (tail_start_ > size) {
    tail_.erase(0, tail_start_);
    tail_start_ = 0;
  }
  assert(Tail().size() == size);
  return dropped;
}

Text BoundedHint::Joined() const {
  Text joined = head_;
  if (left_out_lines_ > 0) joined += MarkerLine(left_out_lines_);
  joined += Tail();
  return joined;
}

}  // namespace dravel
