// DenseLayer: the canvas painted for a screen where one logical pixel is
// several device pixels (a device pixel ratio above 1). It is painted from
// the drawing record rather than scaled up from the layers, so lines and
// text come out at the screen's resolution; the background picture and the
// sprites are scaled. The layer is kept between paints and brought up to
// date with the items drawn since, so each paint of a long run costs only
// its new items. The logical layers, exports and pixel probes never see it.
// Not thread-safe: the canvas core calls it under its lock.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "canvas/drawing_record.h"
#include "canvas/raster_surface.h"

namespace dravel {

class DenseLayer {
 public:
  // Up to this many lines and texts a drawing is painted densely; a bigger
  // one shows its layers scaled, as painting it anew (after a change of the
  // background) would keep the window waiting.
  static constexpr size_t kMaxItems = 100'000;
  static bool Paints(const DrawingRecord& record) {
    return record.Lines().size() + record.Texts().size() <= kMaxItems;
  }

  // The drawing of `record` at `ratio` over `background` (the logical
  // background, picture laid out). `look` must change whenever the
  // background changed or the record was emptied: the layer is then painted
  // again from scratch. Null when a layer of that size cannot be allocated.
  const QImage& Update(const DrawingRecord& record, uint64_t look, double ratio,
                       const QImage& background);

  // Lays `sprite` on `frame` (a copy of the layer) where the layers would
  // show it on a canvas of `size`, scaled to the frame's ratio.
  static void DrawSprite(QImage& frame, const SpritePose& sprite, QSize size);

 private:
  void Restart(const DrawingRecord& record, uint64_t look, double ratio, const QImage& background);
  void DrawNewItems(const DrawingRecord& record);

  QImage layer_;
  uint64_t look_ = 0;
  size_t lines_drawn_ = 0;
  size_t texts_drawn_ = 0;
};

}  // namespace dravel
