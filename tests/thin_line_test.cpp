// DrawThinLine against Bresenham's rule written out pixel by pixel (the minor
// offset at step k is floor((k * rise + run / 2) / run)): every octant, lines
// leaving the layers on each side, lines starting far off them, and a stride
// wider than the layers, in both layers alike.
#include "canvas/thin_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace dravel {
namespace {

constexpr int kWidth = 17;
constexpr int kHeight = 11;
constexpr int kStride = 20;
constexpr uint32_t kPen = 0xFF00FF00u;

// The pixels the rule gives for a line between two centre offsets (y up).
std::vector<uint32_t> ByTheRule(int64_t from_x, int64_t from_y, int64_t to_x, int64_t to_y) {
  std::vector<uint32_t> pixels(size_t(kStride) * kHeight);
  const int64_t ax = kWidth / 2 + from_x, ay = kHeight / 2 - from_y;
  const int64_t dx = to_x - from_x, dy = -(to_y - from_y);
  const bool x_major = std::llabs(dx) >= std::llabs(dy);
  const int64_t major_delta = x_major ? dx : dy, minor_delta = x_major ? dy : dx;
  const int64_t run = std::llabs(major_delta) * 2, rise = std::llabs(minor_delta) * 2;
  for (int64_t k = 0; k < std::llabs(major_delta); ++k) {
    const int64_t along = (major_delta > 0 ? k : -k);
    const int64_t across = (k * rise + run / 2) / run * (minor_delta > 0 ? 1 : -1);
    const int64_t x = ax + (x_major ? along : across), y = ay + (x_major ? across : along);
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels[size_t(y * kStride + x)] = kPen;
  }
  return pixels;
}

TEST(DrawThinLine, DrawsBresenhamsPixelsClippedToTheLayers) {
  const struct {
    const char* name;
    int32_t from_x, from_y, to_x, to_y;
  } cases[] = {
      {"shallow, right and up", -6, -2, 7, 3},
      {"shallow, left and down", 7, 3, -6, -2},
      {"steep, right and down", -2, 5, 1, -5},
      {"steep, left and up", 2, -5, -1, 4},
      {"diagonal", -5, -5, 5, 5},
      {"horizontal", -8, 0, 8, 0},
      {"vertical", 0, -5, 0, 5},
      {"leaves on the right and the top", 0, 0, 40, 25},
      {"leaves on the left and the bottom", 0, 0, -33, -19},
      {"crosses from far off the left", -1000, 3, 1000, -4},
      {"crosses from far above, steep", 3, 2000, -2, -2000},
      {"passes beside the layers", -50, 20, 50, 21},
      {"one pixel", 3, 3, 4, 3},
      {"one step, diagonal", 3, 3, 2, 4},
      {"one step from the last column outward", 8, -5, 9, -6},
      {"one step from just off the left inward", -9, 0, -8, 1},
      {"one step from just below inward", 0, -6, 0, -5},
      {"nothing", 3, 3, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> visible(size_t(kStride) * kHeight), ink(visible.size());
    DrawThinLine({visible.data(), ink.data(), kStride, kWidth, kHeight}, c.from_x, c.from_y, c.to_x,
                 c.to_y, kPen);
    EXPECT_EQ(visible, ByTheRule(c.from_x, c.from_y, c.to_x, c.to_y));
    EXPECT_EQ(ink, visible);
  }
}

}  // namespace
}  // namespace dravel
