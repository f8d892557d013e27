// Where the plain canvas's pixels meet Qt's images: a view of pixels as a
// QImage (shared, or copied), the canvas's frame as a QImage, a QImage as
// plain pixels, and a QImage as PNG bytes through our own encoder. Layer
// pixels are 0xFFRRGGBB words, which is QImage's Format_RGB32.
#pragma once

#include <QImage>
#include <string>

#include "canvas/canvas.h"
#include "canvas/pixel_image.h"

namespace dravel {

// The pixels of `view` as an image that shares them: valid only while they
// are, and not to be written.
QImage SharedImage(const PixelView& view);
// A copy of the pixels of `view`.
QImage ImageOf(const PixelView& view);
// The canvas's visible layer with the sprites, composed straight into a new
// image.
QImage FrameImage(const Canvas& canvas);
// `image` as RGB32 pixels (any alpha dropped, as drawing it opaque would).
PixelImage PixelsOf(const QImage& image);
// `image` as RGB32 pixels with the pixels less than half opaque made white,
// the see-through colour of sprites.
PixelImage FlattenedPixels(const QImage& image);
// The PNG bytes of `image` (our encoder); empty for a null image or when
// encoding failed.
std::string PngBytes(const QImage& image);

}  // namespace dravel
