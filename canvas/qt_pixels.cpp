#include "canvas/qt_pixels.h"

#include "canvas/pixel_format.h"
#include "canvas/png_encoder.h"

namespace dravel {

QImage SharedImage(const PixelView& view) {
  return QImage(reinterpret_cast<const uchar*>(view.pixels), view.width, view.height,
                qsizetype(view.stride) * 4, QImage::Format_RGB32);
}

QImage ImageOf(const PixelView& view) { return SharedImage(view).copy(); }

QImage FrameImage(const Canvas& canvas) {
  QImage frame(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
  canvas.PaintInto({reinterpret_cast<uint32_t*>(frame.bits()), frame.bytesPerLine() / 4,
                    frame.width(), frame.height()});
  return frame;
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
  return EncodePng(pixels.pixels.data(), pixels.width, pixels.height, pixels.width);
}

}  // namespace dravel
