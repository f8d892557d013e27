// Where the plain canvas's pixels meet Qt's images: a view of pixels as a
// QImage (shared, or copied), the canvas's frame as a QImage, a QImage as
// plain pixels, and a QImage as PNG bytes through our own encoder. Layer
// pixels are 0xFFRRGGBB words, which is QImage's Format_RGB32. The images
// made here the size of a layer are asked of pixel memory first
// (pixel_memory.h), and come out null when they cannot be had.
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
// An RGB32 image of `size`, and a deep copy of `image`.
QImage NewLayerImage(QSize size);
QImage LayerCopy(const QImage& image);
// `image` as RGB32 pixels (any alpha dropped, as drawing it opaque would).
PixelImage PixelsOf(const QImage& image);
// `image` as RGB32 pixels with the pixels less than half opaque made white,
// the see-through colour of sprites.
PixelImage FlattenedPixels(const QImage& image);
// The PNG bytes of `image` (our encoder); empty for a null image or when
// encoding failed (for want of memory, in practice).
std::string PngBytes(const QImage& image);

}  // namespace dravel
