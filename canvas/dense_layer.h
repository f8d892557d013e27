// DenseLayer: the canvas painted for a screen where one logical pixel is
// several device pixels (a device pixel ratio above 1). It is painted from
// the drawing record rather than scaled up from the layers, so lines and
// text come out at the screen's resolution: lines smoothed, texts set again
// by the canvas's own text painter (the one setter) at the screen's density,
// as unsmoothed as the layers'; the background picture and the sprites are
// scaled. The layer is kept between paints and brought up to date with the
// items drawn since, so each paint of a long run costs only its new items.
// The logical layers, exports and pixel probes never see it. Not
// thread-safe: its owner calls it under the canvas's lock.
#pragma once

#include <QImage>
#include <cstdint>

#include "canvas/canvas.h"

namespace dravel {

class DenseLayer {
 public:
  // Up to this many lines and texts a drawing is painted densely; a bigger
  // one shows its layers scaled, as painting it anew (after a change of the
  // background) would keep the window waiting.
  static constexpr size_t kMaxItems = 100'000;

  // The frame with the sprites for a screen of `ratio`: above 1, painted from
  // the canvas's record at that resolution (the image carries the ratio); at
  // 1, or when the canvas keeps no complete record or one too big to paint
  // so, or without the memory for it, the logical frame itself (null when
  // even that cannot be had).
  QImage Frame(const Canvas& canvas, double ratio);

 private:
  void Update(const Canvas& canvas, const DrawingRecord& record, double ratio);
  void Restart(const Canvas& canvas, const DrawingRecord& record, double ratio);
  void DrawNewItems(const DrawingRecord& record, const TextMaskPainter& text_painter);

  QImage layer_;
  uint64_t look_ = 0;
  size_t lines_drawn_ = 0;
  size_t texts_drawn_ = 0;
};

}  // namespace dravel
