#include "marking/thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "canvas/pixel_memory.h"

namespace dravel {
namespace {

// The source pixels [begin, end) that target pixel `i` of `count` covers.
std::pair<int, int> Covered(int i, int count, int source) {
  const int begin = int(int64_t(i) * source / count);
  return {begin, std::max(begin + 1, int(int64_t(i + 1) * source / count))};
}

uint32_t Average(const PixelView& picture, std::pair<int, int> xs, std::pair<int, int> ys) {
  uint64_t red = 0, green = 0, blue = 0;
  for (int y = ys.first; y < ys.second; ++y) {
    const uint32_t* row = picture.pixels + y * picture.stride;
    for (int x = xs.first; x < xs.second; ++x) {
      red += row[x] >> 16 & 0xFF, green += row[x] >> 8 & 0xFF, blue += row[x] & 0xFF;
    }
  }
  const uint64_t n = uint64_t(xs.second - xs.first) * uint64_t(ys.second - ys.first);
  return 0xFF000000u | uint32_t(red / n) << 16 | uint32_t(green / n) << 8 | uint32_t(blue / n);
}

}  // namespace

PixelImage Thumbnail(const PixelView& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};  // it could not be made
  const int height = std::max(1, int(int64_t(picture.height) * kThumbnailWidth / picture.width));
  std::optional<std::vector<uint32_t>> pixels = NewPixels(size_t(kThumbnailWidth) * height, 0);
  if (!pixels) return {};
  PixelImage thumbnail{kThumbnailWidth, height, std::move(*pixels)};
  for (int y = 0; y < height; ++y) {
    const auto ys = Covered(y, height, picture.height);
    for (int x = 0; x < kThumbnailWidth; ++x)
      thumbnail.pixels[size_t(y) * kThumbnailWidth + size_t(x)] =
          Average(picture, Covered(x, kThumbnailWidth, picture.width), ys);
  }
  return thumbnail;
}

}  // namespace dravel
