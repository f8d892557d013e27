#include "canvas/wide_line.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace dravel {
namespace {

// The segment between two pixel centres, in layer pixels, and half the pen.
struct Capsule {
  double ax, ay, bx, by, half;

  // Whether the pixel centre (x, y) lies within half the pen of the segment:
  // the rule, asked only at the ends of each row's run.
  bool Covers(double x, double y) const {
    const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
    const double px = x - ax, py = y - ay;
    const double t = length > 0 ? std::clamp((px * dx + py * dy) / length, 0.0, 1.0) : 0.0;
    const double ex = px - t * dx, ey = py - t * dy;
    return ex * ex + ey * ey <= half * half;
  }

  // The x where the capsule meets row y, as a real interval [low, high];
  // low > high when it misses the row. The capsule is the two end discs
  // and the band between them.
  void Row(double y, double& low, double& high) const {
    low = std::numeric_limits<double>::infinity();
    high = -low;
    auto disc = [&](double cx, double cy) {
      const double d = y - cy;
      if (d * d > half * half) return;
      const double w = std::sqrt(half * half - d * d);
      low = std::min(low, cx - w);
      high = std::max(high, cx + w);
    };
    disc(ax, ay);
    disc(bx, by);
    const double dx = bx - ax, dy = by - ay, length = std::hypot(dx, dy);
    if (length == 0) return;
    // On the row, the distance across the segment and the place along it
    // are both linear in x: across(x) = dy*x + a, along(x) = dx*x + b.
    double from = -std::numeric_limits<double>::infinity(), to = -from;
    auto within = [&](double slope, double offset, double least, double most) {
      if (slope == 0) {
        if (offset < least || offset > most) from = to + 1;
        return;
      }
      double x1 = (least - offset) / slope, x2 = (most - offset) / slope;
      if (x1 > x2) std::swap(x1, x2);
      from = std::max(from, x1);
      to = std::min(to, x2);
    };
    within(dy, -dx * (y - ay) - dy * ax, -half * length, half * length);
    within(dx, dy * (y - ay) - dx * ax, 0, length * length);
    if (from > to) return;
    low = std::min(low, from);
    high = std::max(high, to);
  }
};

}  // namespace

void DrawWideLine(const PixelLayers& layers, int32_t from_x, int32_t from_y, int32_t to_x,
                  int32_t to_y, int width, uint32_t pixel) {
  assert(width > 1);
  const Capsule capsule{layers.width / 2 + double(from_x), layers.height / 2 - double(from_y),
                        layers.width / 2 + double(to_x), layers.height / 2 - double(to_y),
                        width / 2.0};
  const double top = std::floor(std::min(capsule.ay, capsule.by) - capsule.half);
  const double bottom = std::ceil(std::max(capsule.ay, capsule.by) + capsule.half);
  const int64_t first_row = int64_t(std::max(0.0, top));
  const int64_t end_row = int64_t(std::min(double(layers.height), bottom + 1));
  for (int64_t y = first_row; y < end_row; ++y) {
    double low, high;
    capsule.Row(double(y), low, high);
    if (low > high) continue;
    // A pixel past the interval's rounding is settled by the rule itself.
    auto left = int64_t(std::clamp(std::floor(low) - 1, 0.0, double(layers.width)));
    auto right = int64_t(std::clamp(std::ceil(high) + 1, -1.0, double(layers.width) - 1));
    while (left <= right && !capsule.Covers(double(left), double(y))) ++left;
    while (right >= left && !capsule.Covers(double(right), double(y))) --right;
    if (left > right) continue;
    std::fill(layers.visible + y * layers.stride + left,
              layers.visible + y * layers.stride + right + 1, pixel);
    std::fill(layers.ink + y * layers.stride + left, layers.ink + y * layers.stride + right + 1,
              pixel);
  }
}

}  // namespace dravel
