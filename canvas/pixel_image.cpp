#include "canvas/pixel_image.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "canvas/pixel_format.h"
#include "canvas/pixel_memory.h"
#include "canvas/turtle_model.h"

namespace dravel {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Cosine and sine of a heading, exact at the quarter turns so that a turned
// box does not lose a pixel row to a rounding error of 1e-16.
std::pair<double, double> CosSin(double degrees) {
  double cosine = std::cos(degrees * kRadiansPerDegree);
  double sine = std::sin(degrees * kRadiansPerDegree);
  if (std::fabs(cosine) < 1e-12) cosine = 0;
  if (std::fabs(sine) < 1e-12) sine = 0;
  return {cosine, sine};
}

// The part of a `width` x `height` box at (left, top) that lies on `target`:
// its columns [x0, x1) and rows [y0, y1) there.
struct Overlap {
  int64_t x0, y0, x1, y1;
};
Overlap OverlapOf(const PixelTarget& target, int64_t left, int64_t top, int width, int height) {
  return {std::max<int64_t>(left, 0), std::max<int64_t>(top, 0),
          std::min<int64_t>(left + width, target.width),
          std::min<int64_t>(top + height, target.height)};
}

}  // namespace

PixelImage PixelImage::Of(const PixelView& view) {
  if (view.width <= 0 || view.height <= 0) return {};
  std::optional<std::vector<uint32_t>> pixels =
      NewPixels(size_t(view.width) * size_t(view.height), 0);
  if (!pixels) return {};
  for (int y = 0; y < view.height; ++y) {
    std::copy_n(view.pixels + ptrdiff_t(y) * view.stride, view.width,
                pixels->data() + size_t(y) * size_t(view.width));
  }
  return {view.width, view.height, std::move(*pixels)};
}

BoxSize TurnedSize(BoxSize size, double heading) {
  const auto [cosine, sine] = CosSin(heading);
  const double xs[4] = {0, double(size.width), 0, double(size.width)};
  const double ys[4] = {0, 0, double(size.height), double(size.height)};
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
PixelImage TurnPixels(const PixelImage& frame, double heading) {
  const BoxSize box = TurnedSize({frame.width, frame.height}, heading);
  PixelImage turned{box.width, box.height,
                    std::vector<uint32_t>(size_t(box.width) * size_t(box.height), kWhitePixel)};
  const auto [cosine, sine] = CosSin(heading);
  const int centre_u = box.width / 2, centre_v = box.height / 2;
  const int source_x = frame.width / 2, source_y = frame.height / 2;
  for (int row = 0; row < box.height; ++row) {
    uint32_t* out = turned.pixels.data() + size_t(row) * size_t(box.width);
    const double v = centre_v - row;
    for (int column = 0; column < box.width; ++column) {
      const double u = column - centre_u;
      const int x = source_x + RoundSaturated(u * cosine - v * sine);
      const int y = source_y - RoundSaturated(u * sine + v * cosine);
      if (x >= 0 && x < frame.width && y >= 0 && y < frame.height)
        out[column] = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
    }
  }
  return turned;
}

void CopyPixels(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top) {
  const Overlap o = OverlapOf(target, left, top, source.width, source.height);
  if (o.x0 >= o.x1) return;
  for (int64_t y = o.y0; y < o.y1; ++y) {
    std::copy_n(source.pixels + (y - top) * source.stride + (o.x0 - left), o.x1 - o.x0,
                target.pixels + y * target.stride + o.x0);
  }
}

void CopyKeyed(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top,
               uint32_t key) {
  const Overlap o = OverlapOf(target, left, top, source.width, source.height);
  for (int64_t y = o.y0; y < o.y1; ++y) {
    uint32_t* out = target.pixels + y * target.stride;
    const uint32_t* in = source.pixels + (y - top) * source.stride;
    for (int64_t x = o.x0; x < o.x1; ++x) {
      const uint32_t pixel = in[x - left];
      if (pixel != key) out[x] = pixel;
    }
  }
}

void CopyBack(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top,
              BoxSize size) {
  const Overlap o = OverlapOf(target, left, top, size.width, size.height);
  if (o.x0 >= o.x1) return;
  for (int64_t y = o.y0; y < o.y1; ++y) {
    std::copy_n(source.pixels + y * source.stride + o.x0, o.x1 - o.x0,
                target.pixels + y * target.stride + o.x0);
  }
}

}  // namespace dravel
