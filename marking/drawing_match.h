// How well a pupil's drawing matches the drawing asked for, wherever on the
// canvas it stands: the reference is laid on the drawing at the placement
// that fits best (moved, turned and mirrored; scaled too in kAnySize), and
// the score is the lower of two shares within kMatchTolerance pixels: of
// the reference's pixels that the drawing has (nothing missing), and of the
// drawing's pixels, wherever on the canvas, that the reference has (nothing
// extra), so a second drawing beside the answer lowers the score while a few
// stray pixels (kStrayPixels) do not. The pictures' pixels and distances are
// drawn_shape's; the picture of what differs is match_overlay's. Plain C++.
#pragma once

#include "marking/drawn_shape.h"
#include "marking/match_mode.h"

namespace dravel {

inline constexpr double kMatchTolerance = 2;
// Drawn pixels far from the placed reference that the score forgives.
inline constexpr int64_t kStrayPixels = 24;

// Where the reference lies on the drawing: its point `pivot` on the
// drawing's point `at`, scaled, then turned about it, after a flip left to
// right when mirrored.
struct Placement {
  ShapePoint pivot;
  ShapePoint at;
  double angle = 0;  // degrees, clockwise as the picture shows it
  double scale = 1;
  bool mirrored = false;
};

// A placement as a map of points, from the reference to the drawing or back.
struct PointMap {
  double xx = 1, xy = 0, yx = 0, yy = 1;  // the linear part, row by row
  ShapePoint from, to;                    // `from` goes to `to`
  ShapePoint operator()(ShapePoint p) const {
    const double dx = p.x - from.x, dy = p.y - from.y;
    return {to.x + xx * dx + xy * dy, to.y + yx * dx + yy * dy};
  }
};
PointMap ToDrawing(const Placement& placement);
PointMap ToReference(const Placement& placement);
// How near, in the drawing's pixels, a stroke of one must be to the other's
// to match: kMatchTolerance, scaled up with a reference scaled up.
double MatchRadius(const Placement& placement);

struct DrawingMatch {
  double score = 0;  // 0-100: 100 * the lower of `found` and `kept`
  double found = 0;  // share of the reference's pixels the drawing has near
  double kept = 0;   // share of the drawing's pixels that lie on the placed reference
  Placement placement;
};

// The best placement of `reference` on `drawing` and its score. Two empty
// drawings match (100); an empty one and another nothing (0).
DrawingMatch MatchDrawing(const DrawnShape& reference, const DrawnShape& drawing, MatchMode mode);

}  // namespace dravel
