#include "marking/drawing_match.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

namespace dravel {
namespace {

// The reference's box grown by this share of its larger side bounds the
// drawing's pixels that count as extra.
constexpr double kBoxMargin = 0.15;
// At the placed size, a part whose spread is off by more than this factor
// cannot be the drawing asked for.
constexpr double kMostSpreadRatio = 2;
// Neither picture is that much smaller than the other, scaled.
constexpr double kMostScale = 16;
constexpr double kCoarseDegrees = 6;
constexpr int kMostRefineRounds = 400;
constexpr size_t kRefined = 4;  // coarse placements refined

struct Candidate {
  Placement placement;
  const ShapePart* part = nullptr;
  double cost = 0;
};

// The mean distance, capped, from the reference's sample to the drawing and
// from the part's sample to the reference, at `placement`, in the
// drawing's pixels.
double Cost(const DrawnShape& reference, const DrawnShape& drawing, const ShapePart& part,
            const Placement& placement, double cap) {
  const PointMap forward = ToDrawing(placement), back = ToReference(placement);
  double there = 0, back_there = 0;
  for (const ShapePoint& p : reference.Whole().sample) {
    there += std::min<double>(drawing.DistanceAt(forward(p).x, forward(p).y), cap);
  }
  for (const ShapePoint& q : part.sample) {
    const ShapePoint p = back(q);
    back_there += std::min(reference.DistanceAt(p.x, p.y) * placement.scale, cap);
  }
  return there / double(reference.Whole().sample.size()) + back_there / double(part.sample.size());
}

double CircularDistance(double a, double b) {
  const double d = std::fmod(std::abs(a - b), 360.0);
  return std::min(d, 360 - d);
}

// The size the part asks for when the size is free: the ratio of the
// spreads, within reason.
double ScaleFor(const DrawnShape& reference, const ShapePart& part, MatchMode mode) {
  if (mode != MatchMode::kAnySize || reference.Whole().spread == 0) return 1;
  return std::clamp(part.spread / reference.Whole().spread, 1 / kMostScale, kMostScale);
}

// Every part's coarse placements, and the best few of them far enough apart
// to be different placements.
std::vector<Candidate> CoarseCandidates(const DrawnShape& reference, const DrawnShape& drawing,
                                        const std::vector<const ShapePart*>& parts,
                                        MatchMode mode) {
  std::vector<Candidate> all;
  for (const ShapePart* part : parts) {
    const double scale = ScaleFor(reference, *part, mode);
    for (const bool mirrored : {false, true}) {
      for (double angle = 0; angle < 360; angle += kCoarseDegrees) {
        const Placement placement{reference.Whole().centre, part->centre, angle, scale, mirrored};
        all.push_back({placement, part, Cost(reference, drawing, *part, placement, kFarthest)});
      }
    }
  }
  std::sort(all.begin(), all.end(),
            [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
  std::vector<Candidate> best;
  for (const Candidate& c : all) {
    const bool apart = std::all_of(best.begin(), best.end(), [&](const Candidate& b) {
      return b.part != c.part || b.placement.mirrored != c.placement.mirrored ||
             CircularDistance(b.placement.angle, c.placement.angle) > 3 * kCoarseDegrees;
    });
    if (apart) best.push_back(c);
    if (best.size() == kRefined) break;
  }
  return best;
}

Placement Moved(Placement p, int dimension, double by) {
  if (dimension == 0) p.at.x += by;
  if (dimension == 1) p.at.y += by;
  if (dimension == 2) p.angle += by * 0.75;  // degrees: about a pixel at a reach of 75
  if (dimension == 3) p.scale *= std::exp(by * 0.01);
  return p;
}

// Moves, turns and (when the size is free) scales the candidate's placement
// while its cost falls, in steps that halve from `step` pixels down to a
// quarter; the scale stays within a factor of two of the coarse one.
void Refine(const DrawnShape& reference, const DrawnShape& drawing, Candidate& c, MatchMode mode,
            double step, double cap) {
  const int dimensions = mode == MatchMode::kAnySize ? 4 : 3;
  const double least_scale = c.placement.scale / 2, most_scale = c.placement.scale * 2;
  double cost = Cost(reference, drawing, *c.part, c.placement, cap);
  for (int round = 0; step >= 0.25 && round < kMostRefineRounds; ++round) {
    bool better = false;
    for (int dimension = 0; dimension < dimensions; ++dimension) {
      for (const double by : {step, -step}) {
        const Placement trial = Moved(c.placement, dimension, by);
        if (trial.scale < least_scale || trial.scale > most_scale) continue;
        const double trial_cost = Cost(reference, drawing, *c.part, trial, cap);
        if (trial_cost < cost) cost = trial_cost, c.placement = trial, better = true;
      }
    }
    if (!better) step /= 2;
  }
}

// The parts of the drawing the reference may be laid on: the whole and its
// largest pieces (a star drawn between a sky and a meadow is a piece of its
// own), those of another size left out unless the size is free.
std::vector<const ShapePart*> PartsToPlace(const DrawnShape& reference, const DrawnShape& drawing,
                                           MatchMode mode) {
  std::vector<const ShapePart*> parts{&drawing.Whole()};
  for (const ShapePart& piece : drawing.Pieces()) {
    if (piece.count != drawing.Whole().count) parts.push_back(&piece);
  }
  if (mode == MatchMode::kAnySize) return parts;
  const double spread = reference.Whole().spread;
  std::erase_if(parts, [&](const ShapePart* part) {
    return part->spread > spread * kMostSpreadRatio || part->spread * kMostSpreadRatio < spread;
  });
  if (parts.empty()) parts.push_back(&drawing.Whole());
  return parts;
}

// The share of the reference's pixels that the drawing has within `radius`.
double Found(const DrawnShape& reference, const DrawnShape& drawing, const PointMap& forward,
             double radius) {
  const ShapePart& whole = reference.Whole();
  int64_t found = 0;
  for (int y = int(whole.low.y); y <= int(whole.high.y); ++y) {
    for (int x = int(whole.low.x); x <= int(whole.high.x); ++x) {
      if (!reference.Drawn(x, y)) continue;
      const ShapePoint q = forward({double(x), double(y)});
      found += drawing.DistanceAt(q.x, q.y) <= radius;
    }
  }
  return double(found) / double(whole.count);
}

// The rows and columns of the drawing that `corners` of the reference cover.
struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
};
PixelBox CoveredBox(const DrawnShape& drawing, const PointMap& forward,
                    std::initializer_list<ShapePoint> corners) {
  double left = drawing.Width(), top = drawing.Height(), right = -1, bottom = -1;
  for (const ShapePoint corner : corners) {
    const ShapePoint q = forward(corner);
    left = std::min(left, q.x), top = std::min(top, q.y);
    right = std::max(right, q.x), bottom = std::max(bottom, q.y);
  }
  return {int(std::max(0.0, std::ceil(left))), int(std::max(0.0, std::ceil(top))),
          int(std::min(drawing.Width() - 1.0, right)),
          int(std::min(drawing.Height() - 1.0, bottom))};
}

// The share of the drawing's pixels that the placed reference has within
// `radius`: those inside its grown box are looked up, those outside are
// extra past the first kStrayPixels; 0 when the box holds none.
double Kept(const DrawnShape& reference, const DrawnShape& drawing, const Placement& placement,
            double radius) {
  const ShapePart& whole = reference.Whole();
  const double margin =
      kBoxMargin * std::max(whole.high.x - whole.low.x, whole.high.y - whole.low.y) +
      radius / placement.scale;
  const ShapePoint low{whole.low.x - margin, whole.low.y - margin};
  const ShapePoint high{whole.high.x + margin, whole.high.y + margin};
  const PointMap back = ToReference(placement);
  const PixelBox box =
      CoveredBox(drawing, ToDrawing(placement),
                 {low, high, ShapePoint{low.x, high.y}, ShapePoint{high.x, low.y}});
  int64_t inside = 0, kept = 0;
  for (int y = box.top; y <= box.bottom; ++y) {
    for (int x = box.left; x <= box.right; ++x) {
      if (!drawing.Drawn(x, y)) continue;
      const ShapePoint p = back({double(x), double(y)});
      if (p.x < low.x || p.y < low.y || p.x > high.x || p.y > high.y) continue;
      ++inside;
      kept += reference.DistanceAt(p.x, p.y) * placement.scale <= radius;
    }
  }
  if (inside == 0) return 0;
  const int64_t outside = drawing.Whole().count - inside;
  return double(kept) / double(inside + std::max<int64_t>(0, outside - kStrayPixels));
}

DrawingMatch Scored(const DrawnShape& reference, const DrawnShape& drawing,
                    const Placement& placement) {
  const double radius = MatchRadius(placement);
  DrawingMatch match;
  match.placement = placement;
  match.found = Found(reference, drawing, ToDrawing(placement), radius);
  match.kept = Kept(reference, drawing, placement, radius);
  match.score = 100 * std::min(match.found, match.kept);
  return match;
}

// The reference where it was drawn: the canvases' centres, the turtles'
// home, on each other.
Placement InPlace(const DrawnShape& reference, const DrawnShape& drawing) {
  const ShapePoint pivot = reference.Whole().centre;
  return {pivot,
          {pivot.x + double(drawing.Width() / 2 - reference.Width() / 2),
           pivot.y + double(drawing.Height() / 2 - reference.Height() / 2)}};
}

}  // namespace

PointMap ToDrawing(const Placement& placement) {
  const double turn = placement.angle * std::numbers::pi / 180;
  const double c = std::cos(turn) * placement.scale, s = std::sin(turn) * placement.scale;
  const double flip = placement.mirrored ? -1 : 1;
  return {c * flip, -s, s * flip, c, placement.pivot, placement.at};
}

PointMap ToReference(const Placement& placement) {
  const double turn = placement.angle * std::numbers::pi / 180;
  const double c = std::cos(turn) / placement.scale, s = std::sin(turn) / placement.scale;
  const double flip = placement.mirrored ? -1 : 1;
  return {c * flip, s * flip, -s, c, placement.at, placement.pivot};
}

double MatchRadius(const Placement& placement) {
  return kMatchTolerance * std::max(1.0, placement.scale);
}

DrawingMatch MatchDrawing(const DrawnShape& reference, const DrawnShape& drawing, MatchMode mode) {
  if (reference.Empty() || drawing.Empty()) {
    DrawingMatch match;
    match.placement = InPlace(reference, drawing);
    match.score = reference.Empty() && drawing.Empty() ? 100 : 0;
    return match;
  }
  DrawingMatch best = Scored(reference, drawing, InPlace(reference, drawing));
  if (mode == MatchMode::kExact) return best;
  for (Candidate& c :
       CoarseCandidates(reference, drawing, PartsToPlace(reference, drawing, mode), mode)) {
    Refine(reference, drawing, c, mode, 4, kFarthest);
    Refine(reference, drawing, c, mode, 1, 2 * kMatchTolerance + 1);
    const DrawingMatch match = Scored(reference, drawing, c.placement);
    if (match.score > best.score) best = match;
  }
  return best;
}

}  // namespace dravel
