#include "apps/dravel-render/picture_score.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace dravel {
namespace {

struct Mask {
  int width = 0, height = 0;
  std::vector<uint8_t> drawn;  // row by row
  size_t count = 0;
};

QRgb MostCommonColour(const QImage& image) {
  std::unordered_map<QRgb, size_t> counts;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) ++counts[line[x]];
  }
  return std::max_element(counts.begin(), counts.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

Mask DrawnPixels(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  Mask mask{image.width(), image.height(), {}, 0};
  mask.drawn.resize(size_t(mask.width) * size_t(mask.height));
  if (mask.drawn.empty()) return mask;
  const QRgb background = MostCommonColour(image);
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const bool drawn = line[x] != background;
      mask.drawn[size_t(y) * mask.width + x] = drawn;
      mask.count += drawn;
    }
  }
  return mask;
}

// The mask grown by `radius` pixels in every direction (a square), in two
// passes of running counts, so its cost does not grow with the radius.
std::vector<uint8_t> Grown(const Mask& mask, int radius) {
  const int w = mask.width, h = mask.height;
  std::vector<uint8_t> rows(mask.drawn.size()), grown(mask.drawn.size());
  for (int y = 0; y < h; ++y) {
    int inside = 0;
    for (int x = -radius; x < w; ++x) {
      if (x + radius < w) inside += mask.drawn[size_t(y) * w + x + radius];
      if (x - radius - 1 >= 0) inside -= mask.drawn[size_t(y) * w + x - radius - 1];
      if (x >= 0) rows[size_t(y) * w + x] = inside > 0;
    }
  }
  for (int x = 0; x < w; ++x) {
    int inside = 0;
    for (int y = -radius; y < h; ++y) {
      if (y + radius < h) inside += rows[size_t(y + radius) * w + x];
      if (y - radius - 1 >= 0) inside -= rows[size_t(y - radius - 1) * w + x];
      if (y >= 0) grown[size_t(y) * w + x] = inside > 0;
    }
  }
  return grown;
}

// The share of `mask`'s drawn pixels that fall on `near`.
double ShareMatched(const Mask& mask, const std::vector<uint8_t>& near) {
  size_t matched = 0;
  for (size_t i = 0; i < mask.drawn.size(); ++i) matched += mask.drawn[i] && near[i];
  return double(matched) / double(mask.count);
}

}  // namespace

std::optional<double> MatchScore(const QImage& drawing, const QImage& target, int tolerance) {
  if (drawing.size() != target.size()) return std::nullopt;
  const Mask drawn = DrawnPixels(drawing);
  const Mask wanted = DrawnPixels(target);
  if (drawn.count == 0 || wanted.count == 0) return drawn.count == wanted.count ? 100.0 : 0.0;
  const double precision = ShareMatched(drawn, Grown(wanted, tolerance));
  const double recall = ShareMatched(wanted, Grown(drawn, tolerance));
  if (precision + recall == 0) return 0.0;
  return 100.0 * 2 * precision * recall / (precision + recall);
}

}  // namespace dravel
