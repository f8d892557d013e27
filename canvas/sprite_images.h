// The turtle sprites: the ten built-in strips compiled in as resources, cutting
// a strip into frames, and turning a frame to the turtle's heading pixel by
// pixel. Frames are RGB32 images facing up, with white as the transparent
// colour. Which slot shows which frame is the canvas's business.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"

namespace dravel {

using SpriteFrames = std::vector<QImage>;

inline constexpr int kImageSetCount = 11;  // 0 = the slot's own images

// Frames of built-in image set 1 to 10; any other number gives set 1.
// Loaded once, shared by every canvas.
const SpriteFrames& BuiltInSprites(int image_set);

// Cuts `strip` into frames of `frame_width` columns (the last partial frame is
// dropped), flattening any transparency onto white. A width of 0 or less, or
// wider than the strip, gives no frames.
SpriteFrames SplitStrip(const QImage& strip, int frame_width);

// Bounding box of a `size` rectangle turned by `heading` degrees, from its
// corner coordinates truncated toward zero.
QSize TurnedBox(QSize size, double heading);

// `frame` turned clockwise by `heading` into its bounding box; source pixels
// outside the frame come out white (TurnPixels). Null when the turned frame
// cannot be allocated.
QImage TurnFrame(const QImage& frame, double heading);

// An image's pixels as RGB32.
PixelImage PixelsOf(const QImage& image);

}  // namespace dravel
