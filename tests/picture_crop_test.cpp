// PictureCrop and CropRatio: the part of the canvas a reference picture shows
// (the window's reference, the page's F1 and its guide) at its edges: nothing
// drawn, a drawing at a corner, a drawing as large as the canvas.
#include "canvas/picture_crop.h"

#include <gtest/gtest.h>

namespace dravel {
namespace {

constexpr int kWidth = 732;
constexpr int kHeight = 420;

TEST(PictureCrop, KeepsAMarginAReadableSizeAndTheCanvas) {
  const struct {
    const char* name;
    PixelBox drawn;
    PixelBox crop;
    double ratio;  // within 366 x 210
  } cases[] = {
      {"nothing drawn: the middle, shown three times", {}, {336, 188, 60, 44}, 3},
      {"a long line: its margin, grown to the least height",
       {100, 50, 300, 2},
       {89, 28, 320, 44},
       366.0 / 320},
      {"at a corner: cut by the canvas", {0, 0, 5, 5}, {0, 0, 32, 24}, 3},
      {"the whole canvas: shown smaller", {0, 0, kWidth, kHeight}, {0, 0, kWidth, kHeight}, 0.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PixelBox crop = PictureCrop(c.drawn, kWidth, kHeight);
    EXPECT_EQ(crop.left, c.crop.left);
    EXPECT_EQ(crop.top, c.crop.top);
    EXPECT_EQ(crop.width, c.crop.width);
    EXPECT_EQ(crop.height, c.crop.height);
    EXPECT_DOUBLE_EQ(CropRatio(crop, 366, 210), c.ratio);
  }
}

}  // namespace
}  // namespace dravel
