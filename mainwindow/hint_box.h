// HintBox: the hint box, an edit box that stays bounded however much a run
// appends (a count of two thousand million passes). Its first MiB stays; past
// it only the last lines (at least a MiB of them) are kept, behind one marker
// line that counts the lines left out. A hint within those bounds is kept
// byte for byte. Window thread only.
#pragma once

#include <cstdint>
#include <deque>

#include "mainwindow/edit_box.h"

namespace dravel {

class HintBox final : public EditBox {
  Q_OBJECT

 public:
  static constexpr size_t kHeadBytes = size_t{1} << 20;
  static constexpr size_t kTailBytes = size_t{1} << 20;

  explicit HintBox(QWidget* parent = nullptr);

  void SetContent(const Text& gbk) override;
  void AppendText(const Text& gbk) override;
  uint64_t LeftOutLines() const { return left_out_lines_; }

  // The marker line for `lines` left out, CR LF included (GBK).
  static Text MarkerLine(uint64_t lines);

 private:
  void AppendToTail(const Text& gbk);
  void CountTailLines(const Text& gbk);
  void TrimTail();
  void ShowMarker();

  size_t head_bytes_ = 0;
  bool head_full_ = false;
  int tail_first_block_ = 0;  // where the tail starts (the marker, once there is one)
  bool marker_shown_ = false;
  uint64_t left_out_lines_ = 0;
  std::deque<size_t> tail_lines_;  // bytes of each tail line; the last may go on
  size_t tail_bytes_ = 0;
};

}  // namespace dravel
