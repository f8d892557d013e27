// HintBox: the hint box, an edit box that shows a BoundedHint (its head, the
// marker line counting the lines left out, its tail) however much a run
// appends. It follows each append's change, so a talkative run never has
// the whole text laid out again. Window thread only.
#pragma once

#include <cstdint>

#include "mainwindow/edit_box.h"
#include "runtime/bounded_hint.h"

namespace dravel {

class HintBox final : public EditBox {
  Q_OBJECT

 public:
  explicit HintBox(QWidget* parent = nullptr);

  void SetContent(const Text& gbk) override;
  void AppendText(const Text& gbk) override;
  uint64_t LeftOutLines() const { return hint_.LeftOutLines(); }

 private:
  void DropTailLines(uint64_t lines);
  void ShowMarker();

  BoundedHint hint_;
  int tail_first_block_ = -1;  // where the tail starts (the marker, once there is one)
  bool marker_shown_ = false;
};

}  // namespace dravel
