// The turtle sprites' frames as plain pixels: the ten built-in image sets,
// made at build time from the strips in resources/sprites
// (canvas/tools/sprite_pixels.py) and compiled into every edition, and
// cutting a strip into frames. Frames face up; white is see-through. Which
// slot shows which frame is the sprite slots' business.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/pixel_image.h"

namespace dravel {

using SpriteFrames = std::vector<PixelImage>;

inline constexpr int kImageSetCount = 11;  // 0 = the slot's own images

// A built-in strip as the build made it: `width` x `height` pixels
// (0xFFRRGGBB, white see-through), frames `frame_width` wide.
struct SpriteStrip {
  int width;
  int height;
  int frame_width;
  const uint32_t* pixels;
};
// Image sets 1 to 10, in order (the file the build makes).
extern const SpriteStrip kBuiltInStrips[kImageSetCount - 1];

// Frames of built-in image set 1 to 10; any other number gives set 1. Cut
// once, shared by every canvas.
const SpriteFrames& BuiltInSprites(int image_set);

// Cuts `strip` into frames of `frame_width` columns (a last partial frame is
// dropped). A width of 0 or less, or wider than the strip, gives no frames.
SpriteFrames SplitStrip(const PixelImage& strip, int frame_width);

}  // namespace dravel
