// BoundedHint: the hint text of a run that may say without end (a count of
// two thousand million passes), bounded. Its first bytes (the head) stay;
// past them only the last whole lines (the tail) are kept, behind one marker
// line that counts the lines left out. A hint within those bounds is kept
// byte for byte. It tells each append's change, so a text box that shows the
// hint (the window's, the page's) can follow it without being rebuilt; the
// window, dravel-render and the page's worker all keep their hint here.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>

#include "runtime/text.h"

namespace dravel {

class BoundedHint {
 public:
  static constexpr size_t kHeadBytes = size_t{1} << 20;
  static constexpr size_t kTailBytes = size_t{1} << 20;
  // The tail is cut back to its bound only once it is this much over it, so
  // an append costs little however long the run talks.
  static constexpr size_t kTrimStep = size_t{64} << 10;

  // What one append did, for a box that shows the hint: the first `to_head`
  // bytes of the text went to the head and the rest to the tail; then
  // `dropped_lines` whole lines went from the tail's front.
  struct Change {
    size_t to_head = 0;
    uint64_t dropped_lines = 0;
  };

  explicit BoundedHint(size_t head_bytes = kHeadBytes, size_t tail_bytes = kTailBytes);

  void Replace(std::string_view text);
  Change Append(std::string_view text);

  bool HeadFull() const { return head_full_; }
  uint64_t LeftOutLines() const { return left_out_lines_; }
  std::string_view Tail() const { return std::string_view(tail_).substr(tail_start_); }
  // The head, then (when lines were left out) the marker line, then the tail.
  Text Joined() const;

  // The marker line for `lines` left out, CR LF included (GBK).
  static Text MarkerLine(uint64_t lines);

 private:
  void AppendToTail(std::string_view text);
  uint64_t TrimTail();

  size_t head_bound_;
  size_t tail_bound_;
  Text head_;
  bool head_full_ = false;
  uint64_t left_out_lines_ = 0;
  Text tail_;  // kept from tail_start_, so a trim moves no bytes
  size_t tail_start_ = 0;
  std::deque<size_t> tail_lines_;  // bytes of each tail line; the last may go on
};

}  // namespace dravel
