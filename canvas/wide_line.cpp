#include "canvas/wide_line.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace dravel {

void DrawWideLine(const PixelLayers& layers, int32_t from_x, int32_t from_y, int32_t to_x,
                  int32_t to_y, int width, uint32_t pixel) {
  assert(width > 1);
  const double ax = layers.width / 2 + double(from_x), ay = layers.height / 2 - double(from_y);
  const double bx = layers.width / 2 + double(to_x), by = layers.height / 2 - double(to_y);
  const double half = width / 2.0;
  const int64_t left = std::max<int64_t>(0, int64_t(std::floor(std::min(ax, bx) - half)));
  const int64_t right =
      std::min<int64_t>(layers.width, int64_t(std::ceil(std::max(ax, bx) + half)) + 1);
  const int64_t top = std::max<int64_t>(0, int64_t(std::floor(std::min(ay, by) - half)));
  const int64_t bottom =
      std::min<int64_t>(layers.height, int64_t(std::ceil(std::max(ay, by) + half)) + 1);
  const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
  for (int64_t y = top; y < bottom; ++y) {
    for (int64_t x = left; x < right; ++x) {
      const double px = double(x) - ax, py = double(y) - ay;
      const double t = length > 0 ? std::clamp((px * dx + py * dy) / length, 0.0, 1.0) : 0.0;
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey > half * half) continue;
      layers.visible[y * layers.stride + x] = pixel;
      layers.ink[y * layers.stride + x] = pixel;
    }
  }
}

}  // namespace dravel
