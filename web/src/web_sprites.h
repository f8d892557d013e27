// The web edition's turtle sprite: the desktop's first strip, compiled in as
// pixels at build time (web/tools/sprite_pixels.py), cut into frames.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/pixel_image.h"

namespace dravel {

struct SpriteStrip {
  int width;
  int height;
  int frame_width;
  const uint32_t* pixels;  // 0xFFRRGGBB, white see-through
};

extern const SpriteStrip kTurtleStrip;

// The turtle's frames, for any image set (the web edition has only set 1).
const std::vector<PixelImage>& WebSprites(int image_set);

}  // namespace dravel
