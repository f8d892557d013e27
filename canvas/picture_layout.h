// Laying a background picture out on a layer in one of the four picture
// modes, pixel for pixel as Qt's painter lays an image without smoothing
// (nearest neighbour, by its 16.16 fixed-point walk). Plain C++.
#pragma once

#include <cstdint>

#include "canvas/pixel_image.h"

namespace dravel {

enum class PictureMode : int32_t {
  TopLeft = 0,  // at its own size, at the top-left corner
  Stretch = 1,  // stretched to the whole layer
  Tile = 2,     // repeated from the top-left corner
  Centre = 3,   // at its own size, centred
};

// A stored picture-mode value; unknown ones lay the picture at the top-left.
constexpr PictureMode PictureModeOf(int32_t stored) {
  return stored >= 0 && stored <= 3 ? static_cast<PictureMode>(stored) : PictureMode::TopLeft;
}

// Lays `picture` on `target` in `mode`, clipped; pixels it does not cover
// keep what they hold.
void LayOutPicture(const PixelTarget& target, const PixelImage& picture, PictureMode mode);

}  // namespace dravel
