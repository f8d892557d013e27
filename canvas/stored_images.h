// Pictures stored in the canvas's properties, decoded with Qt's image readers
// into the plain pixels the canvas takes: the background picture and the
// turtles' own image lists. Undecodable or oversized bytes give nothing
// rather than an error.
#pragma once

#include <QByteArray>
#include <QImage>

#include "canvas/pixel_image.h"
#include "canvas/sprite_frames.h"

namespace dravel {

// Any format Qt reads (PNG, JPEG, BMP, GIF, ...), as RGB32 pixels. Empty when
// the bytes do not decode or the picture has more than 16 million pixels.
PixelImage DecodePicture(const QByteArray& bytes);

// An own image list: more than 8 bytes, starting with "MITL". Bytes 4 to 7
// hold the frame width as a 32-bit little-endian number (0 or less: square
// frames as wide as the strip is high); from byte 8 on comes a picture with
// the frames side by side, facing up, white or transparent where the turtle
// is not. Anything else gives no frames, as does a strip of more than 1,024
// frames or 4 million pixels.
SpriteFrames DecodeOwnImages(const QByteArray& bytes);

// The own-image bytes for `strip` cut into frames of `frame_width`, its
// see-through pixels made white (our PNG encoder keeps no transparency).
QByteArray EncodeOwnImages(const QImage& strip, int frame_width);

}  // namespace dravel
