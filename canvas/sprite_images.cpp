#include "canvas/sprite_images.h"

#include <QString>
#include <array>
#include <cmath>

#include "canvas/turtle_model.h"

namespace dravel {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

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

// Cosine and sine of a heading, exact at the quarter turns so that a turned
// box does not lose a pixel row to a rounding error of 1e-16.
std::pair<double, double> CosSin(double degrees) {
  double cosine = std::cos(degrees * kRadiansPerDegree);
  double sine = std::sin(degrees * kRadiansPerDegree);
  if (std::fabs(cosine) < 1e-12) cosine = 0;
  if (std::fabs(sine) < 1e-12) sine = 0;
  return {cosine, sine};
}

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
  const auto [cosine, sine] = CosSin(heading);
  const double xs[4] = {0, double(size.width()), 0, double(size.width())};
  const double ys[4] = {0, 0, double(size.height()), double(size.height())};
  int min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  for (int i = 0; i < 4; ++i) {
    const int x = TruncSaturated(xs[i] * cosine - ys[i] * sine);
    const int y = TruncSaturated(xs[i] * sine + ys[i] * cosine);
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
  }
  return {max_x - min_x, max_y - min_y};
}

// Each result pixel looks up its source: its offset (u, v) from the box centre,
// v upwards, turned back by the heading and rounded, taken from the frame's
// centre with the frame's rows running downwards.
QImage TurnFrame(const QImage& frame, double heading) {
  const QSize box = TurnedBox(frame.size(), heading);
  QImage turned(box, QImage::Format_RGB32);
  turned.fill(kWhitePixel);
  const QImage source = frame.convertToFormat(QImage::Format_RGB32);
  const auto [cosine, sine] = CosSin(heading);
  const int centre_u = box.width() / 2, centre_v = box.height() / 2;
  const int source_x = source.width() / 2, source_y = source.height() / 2;
  for (int row = 0; row < box.height(); ++row) {
    auto* out = reinterpret_cast<uint32_t*>(turned.scanLine(row));
    const double v = centre_v - row;
    for (int column = 0; column < box.width(); ++column) {
      const double u = column - centre_u;
      const int x = source_x + RoundSaturated(u * cosine - v * sine);
      const int y = source_y - RoundSaturated(u * sine + v * cosine);
      if (x >= 0 && x < source.width() && y >= 0 && y < source.height())
        out[column] = reinterpret_cast<const uint32_t*>(source.constScanLine(y))[x];
    }
  }
  return turned;
}

}  // namespace dravel
