#include "canvas/qt_pixels.h"

#include <algorithm>

#include "canvas/pixel_format.h"
#include "canvas/pixel_memory.h"
#include "canvas/png_encoder.h"

namespace dravel {

QImage SharedImage(const PixelView& view) {
  return QImage(reinterpret_cast<const uchar*>(view.pixels), view.width, view.height,
                qsizetype(view.stride) * 4, QImage::Format_RGB32);
}

QImage ImageOf(const PixelView& view) { return LayerCopy(SharedImage(view)); }

QImage FrameImage(const Canvas& canvas) {
  QImage frame = NewLayerImage({canvas.Width(), canvas.Height()});
  if (frame.isNull()) return frame;
  canvas.PaintInto({reinterpret_cast<uint32_t*>(frame.bits()), frame.bytesPerLine() / 4,
                    frame.width(), frame.height()});
  return frame;
}

QImage NewLayerImage(QSize size) {
  const size_t bytes = size_t(std::max(size.width(), 0)) * size_t(std::max(size.height(), 0)) * 4;
  if (!WithinPixelLimit(bytes)) return {};
  return QImage(size, QImage::Format_RGB32);
}

QImage LayerCopy(const QImage& image) {
  if (!WithinPixelLimit(size_t(image.sizeInBytes()))) return {};
  return image.copy();
}

PixelImage PixelsOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  return PixelImage::Of({reinterpret_cast<const uint32_t*>(rgb.constBits()), rgb.bytesPerLine() / 4,
                         rgb.width(), rgb.height()});
}

PixelImage FlattenedPixels(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  PixelImage flat = PixelImage::Of({reinterpret_cast<const uint32_t*>(argb.constBits()),
                                    argb.bytesPerLine() / 4, argb.width(), argb.height()});
  for (uint32_t& pixel : flat.pixels)
    pixel = qAlpha(pixel) < 128 ? kWhitePixel : pixel | 0xFF000000u;
  return flat;
}

std::string PngBytes(const QImage& image) {
  if (image.isNull()) return {};
  const PixelImage pixels = PixelsOf(image);
  if (pixels.Empty()) return {};
  return EncodePng(pixels.pixels.data(), pixels.width, pixels.height, pixels.width);
}

}  // namespace dravel
