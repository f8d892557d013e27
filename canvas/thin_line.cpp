#include "canvas/thin_line.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace dravel {
namespace {

// Pixel coordinates wide enough for a saturated turtle point plus the centre.
struct Pixel {
  int64_t x;
  int64_t y;
};

// One line in major/minor axis terms: the major coordinate moves by one each
// step, the minor one by Bresenham's rule.
struct AxisLine {
  int64_t major;
  int64_t minor;
  int64_t major_delta;
  int64_t minor_delta;
  int64_t major_limit;
  int64_t minor_limit;
};

// The steps k of [0, steps) whose major coordinate lies in [0, limit).
std::pair<int64_t, int64_t> VisibleSteps(const AxisLine& line) {
  const int64_t steps = std::llabs(line.major_delta);
  int64_t first;
  int64_t end;
  if (line.major_delta > 0) {
    first = -line.major;
    end = line.major_limit - line.major;
  } else {
    first = line.major - line.major_limit + 1;
    end = line.major + 1;
  }
  return {std::max<int64_t>(first, 0), std::min(end, steps)};
}

// The pixels of a line from `a` to `b`, in layer pixel coordinates. Out of
// line, so that a line of one step saves none of the registers this needs.
[[gnu::noinline]] void DrawSteps(const PixelLayers& layers, Pixel a, Pixel b, uint32_t pixel) {
  const int64_t width = layers.width, height = layers.height;
  const bool x_major = std::llabs(b.x - a.x) >= std::llabs(b.y - a.y);
  const AxisLine line = x_major ? AxisLine{a.x, a.y, b.x - a.x, b.y - a.y, width, height}
                                : AxisLine{a.y, a.x, b.y - a.y, b.x - a.x, height, width};
  const auto [first, end] = VisibleSteps(line);
  if (first >= end) return;
  const int64_t major_step = line.major_delta > 0 ? 1 : -1;
  const int64_t minor_step = line.minor_delta > 0 ? 1 : -1;
  const int64_t run = std::llabs(line.major_delta) * 2;
  const int64_t rise = std::llabs(line.minor_delta) * 2;
  // The minor offset at step k is floor((k * rise + run / 2) / run). Most
  // lines start on the canvas (k = 0), which needs no wide division.
  int64_t minor_offset = 0;
  int64_t remainder = run / 2;
  if (first != 0) {
    const __int128 start = static_cast<__int128>(first) * rise + run / 2;
    minor_offset = static_cast<int64_t>(start / run);
    remainder = static_cast<int64_t>(start % run);
  }
  // The pixel's index moves by a fixed amount per step along each axis, so
  // the loop adds where it would multiply. The minor coordinate holds for a
  // run of steps: the inner loop walks a run with a branch that predicts well
  // (a select in its place would chain every step to the one before), and a
  // run off the layers (one unsigned comparison) writes nothing.
  const int64_t major_stride = x_major ? 1 : layers.stride;
  const int64_t minor_stride = x_major ? layers.stride : 1;
  int64_t minor = line.minor + minor_offset * minor_step;
  int64_t at = (line.major + first * major_step) * major_stride + minor * minor_stride;
  const int64_t major_advance = major_step * major_stride;
  const int64_t minor_advance = minor_step * minor_stride;
  const uint64_t minor_limit = uint64_t(line.minor_limit);
  uint32_t* const visible = layers.visible;
  uint32_t* const ink = layers.ink;
  for (int64_t steps = end - first;;) {
    const bool shown = uint64_t(minor) < minor_limit;
    do {
      if (shown) {
        visible[at] = pixel;
        ink[at] = pixel;
      }
      at += major_advance;
      remainder += rise;
      if (--steps == 0) return;
    } while (remainder < run);
    remainder -= run;
    minor += minor_step;
    at += minor_advance;
  }
}

}  // namespace

void DrawThinLine(const PixelLayers& layers, int32_t from_x, int32_t from_y, int32_t to_x,
                  int32_t to_y, uint32_t pixel) {
  const int64_t width = layers.width, height = layers.height;
  const Pixel a{width / 2 + from_x, height / 2 - from_y};
  const Pixel b{width / 2 + to_x, height / 2 - to_y};
  // A line of one step, what short moves draw, is its start pixel alone.
  if (std::max(std::llabs(b.x - a.x), std::llabs(b.y - a.y)) == 1) {
    if (uint64_t(a.x) < uint64_t(width) && uint64_t(a.y) < uint64_t(height)) {
      layers.visible[a.y * layers.stride + a.x] = pixel;
      layers.ink[a.y * layers.stride + a.x] = pixel;
    }
    return;
  }
  DrawSteps(layers, a, b, pixel);
}

}  // namespace dravel
