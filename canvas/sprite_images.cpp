#include "canvas/sprite_images.h"

#include <QString>
#include <algorithm>
#include <array>

#include "canvas/turtle_model.h"

namespace dravel {
namespace {

struct BuiltInStrip {
  const char* resource;
  int frame_width;
};

// Image sets 1 to 10, in order.
constexpr std::array<BuiltInStrip, 10> kStrips = {{
    {"DRAVELPANEL_IDB_IMAGE_LIST_TURTLE", 20},
    {"DRAVELPANEL_IDB_IMAGE_LIST_BUTT", 32},
    {"DRAVELPANEL_IDB_IMAGE_LIST_TANK", 32},
    {"DRAVELPANEL_IDB_IMAGE_LIST_R_AER", 29},
    {"DRAVELPANEL_IDB_IMAGE_LIST_B_AER", 29},
    {"DRAVELPANEL_IDB_IMAGE_LIST_CAR", 28},
    {"DRAVELPANEL_IDB_IMAGE_LIST_ROBOT", 25},
    {"DRAVELPANEL_IDB_IMAGE_LIST_B_ROBOT", 38},
    {"DRAVELPANEL_IDB_IMAGE_LIST_LADYBUG", 25},
    {"DRAVELPANEL_IDB_IMAGE_LIST_BALLOON", 39},
}};

}  // namespace

const SpriteFrames& BuiltInSprites(int image_set) {
  static const std::array<SpriteFrames, 10> sets = [] {
    std::array<SpriteFrames, 10> loaded;
    for (size_t i = 0; i < kStrips.size(); ++i) {
      const QImage strip(QStringLiteral(":/sprites/") + QString::fromLatin1(kStrips[i].resource));
      loaded[i] = SplitStrip(strip, kStrips[i].frame_width);
    }
    return loaded;
  }();
  const bool listed = image_set >= 1 && image_set <= int(sets.size());
  return sets[listed ? image_set - 1 : 0];
}

SpriteFrames SplitStrip(const QImage& strip, int frame_width) {
  SpriteFrames frames;
  if (strip.isNull() || frame_width <= 0 || frame_width > strip.width()) return frames;
  const QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
  QImage flat(argb.size(), QImage::Format_RGB32);
  for (int y = 0; y < argb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      out[x] = qAlpha(in[x]) < 128 ? kWhitePixel : (in[x] | 0xFF000000u);
  }
  const int count = flat.width() / frame_width;
  for (int i = 0; i < count; ++i)
    frames.push_back(flat.copy(i * frame_width, 0, frame_width, flat.height()));
  return frames;
}

QSize TurnedBox(QSize size, double heading) {
  const BoxSize box = TurnedSize({size.width(), size.height()}, heading);
  return {box.width, box.height};
}

PixelImage PixelsOf(const QImage& image) {
  const QImage source = image.convertToFormat(QImage::Format_RGB32);
  PixelImage pixels{source.width(), source.height(), {}};
  pixels.pixels.reserve(size_t(source.width()) * size_t(source.height()));
  for (int y = 0; y < source.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
    pixels.pixels.insert(pixels.pixels.end(), row, row + source.width());
  }
  return pixels;
}

QImage TurnFrame(const QImage& frame, double heading) {
  const PixelImage turned = TurnPixels(PixelsOf(frame), heading);
  QImage image(turned.width, turned.height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  for (int y = 0; y < turned.height; ++y) {
    std::copy_n(turned.pixels.data() + size_t(y) * size_t(turned.width), turned.width,
                reinterpret_cast<uint32_t*>(image.scanLine(y)));
  }
  return image;
}

}  // namespace dravel
