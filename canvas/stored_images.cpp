#include "canvas/stored_images.h"

#include <QBuffer>
#include <QImageReader>

#include "canvas/png_encoder.h"
#include "canvas/qt_pixels.h"

namespace dravel {
namespace {

constexpr qint64 kMaxPicturePixels = 16 * 1024 * 1024;
// An own image list is a few sprites: more frames or pixels than these are
// refused, so a tiny blob cannot make a million frames.
constexpr int kMaxOwnFrames = 1024;
constexpr qint64 kMaxOwnPixels = 4 * 1024 * 1024;
constexpr char kOwnImagesTag[] = "MITL";
constexpr int kOwnImagesHeader = 8;

// A null image when the bytes do not decode or the picture is too big.
QImage DecodeImage(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  // Refuse a huge declared size before any pixel is allocated.
  if (size.isValid() && qint64{size.width()} * size.height() > kMaxPicturePixels) return {};
  QImage picture;
  if (!reader.read(&picture)) return {};
  if (qint64{picture.width()} * picture.height() > kMaxPicturePixels) return {};
  return picture;
}

}  // namespace

PixelImage DecodePicture(const QByteArray& bytes) {
  const QImage picture = DecodeImage(bytes);
  return picture.isNull() ? PixelImage() : PixelsOf(picture);
}

SpriteFrames DecodeOwnImages(const QByteArray& bytes) {
  if (bytes.size() <= kOwnImagesHeader || !bytes.startsWith(kOwnImagesTag)) return {};
  uint32_t width_bits = 0;
  for (int i = 7; i >= 4; --i) width_bits = width_bits << 8 | static_cast<uint8_t>(bytes[i]);
  const auto frame_width = static_cast<int32_t>(width_bits);
  const QImage strip = DecodeImage(bytes.mid(kOwnImagesHeader));
  if (strip.isNull() || qint64{strip.width()} * strip.height() > kMaxOwnPixels) return {};
  const int width = frame_width > 0 ? frame_width : strip.height();
  if (width <= 0 || strip.width() / width > kMaxOwnFrames) return {};
  return SplitStrip(FlattenedPixels(strip), width);
}

QByteArray EncodeOwnImages(const QImage& strip, int frame_width) {
  QByteArray bytes(kOwnImagesTag);
  for (int i = 0; i < 4; ++i)
    bytes.append(static_cast<char>(static_cast<uint32_t>(frame_width) >> (8 * i) & 0xFF));
  const PixelImage flat = FlattenedPixels(strip);
  if (flat.Empty()) return bytes;
  const std::string png = EncodePng(flat.pixels.data(), flat.width, flat.height, flat.width);
  return bytes + QByteArray(png.data(), qsizetype(png.size()));
}

}  // namespace dravel
