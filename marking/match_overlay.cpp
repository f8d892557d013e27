#include "marking/match_overlay.h"

#include <algorithm>
#include <cmath>

#include "canvas/pixel_format.h"

namespace dravel {
namespace {

void Put(PixelImage& overlay, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= overlay.width || y >= overlay.height) return;
  overlay.pixels[size_t(y) * size_t(overlay.width) + size_t(x)] = PixelOf(colour);
}

// Each drawn pixel of the drawing far from the reference, carried onto the
// reference as a dot large enough that a line stays a line when the
// drawing is the smaller.
void PaintExtras(PixelImage& overlay, const DrawnShape& reference, const DrawnShape& drawing,
                 const Placement& placement) {
  const PointMap to_reference = ToReference(placement);
  const double radius = MatchRadius(placement);
  const int dot = int(std::ceil(1 / placement.scale - 1e-9));
  for (int y = 0; y < drawing.Height(); ++y) {
    for (int x = 0; x < drawing.Width(); ++x) {
      if (!drawing.Drawn(x, y)) continue;
      const ShapePoint p = to_reference({double(x), double(y)});
      if (reference.DistanceAt(p.x, p.y) * placement.scale <= radius) continue;
      const int left = int(std::floor(p.x + 0.5)) - (dot - 1) / 2;
      const int top = int(std::floor(p.y + 0.5)) - (dot - 1) / 2;
      for (int dy = 0; dy < dot; ++dy) {
        for (int dx = 0; dx < dot; ++dx) Put(overlay, left + dx, top + dy, kExtraColour);
      }
    }
  }
}

// The reference's own pixels: found on the drawing or missing from it.
void PaintReference(PixelImage& overlay, const DrawnShape& reference, const DrawnShape& drawing,
                    const Placement& placement, uint32_t pen_colour) {
  const PointMap to_drawing = ToDrawing(placement);
  const double radius = MatchRadius(placement);
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      if (!reference.Drawn(x, y)) continue;
      const ShapePoint q = to_drawing({double(x), double(y)});
      Put(overlay, x, y, drawing.DistanceAt(q.x, q.y) <= radius ? pen_colour : kMissingColour);
    }
  }
}

}  // namespace

PixelImage MatchOverlay(const DrawnShape& reference, const DrawnShape& drawing,
                        const DrawingMatch& match, uint32_t pen_colour,
                        uint32_t background_colour) {
  PixelImage overlay{reference.Width(), reference.Height(), {}};
  overlay.pixels.assign(size_t(overlay.width) * size_t(overlay.height), PixelOf(background_colour));
  PaintExtras(overlay, reference, drawing, match.placement);
  PaintReference(overlay, reference, drawing, match.placement, pen_colour);
  return overlay;
}

}  // namespace dravel
