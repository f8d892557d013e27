#include "canvas/picture_layout.h"

#include <cmath>
#include <vector>

namespace dravel {
namespace {

// The source index of each target index along one axis when `source` pixels
// are stretched over `target`: a 16.16 fixed-point walk from half a step in.
// An index that the walk carries past the source ends the list early, so
// that last target pixel keeps what it holds.
std::vector<int> StretchIndexes(int source, int target) {
  const double scale = double(source) / double(target);
  const auto step = int64_t(65536 * scale);
  const int64_t start = int64_t(std::ceil(0.5 * scale * 65536)) - 1;
  std::vector<int> indexes;
  indexes.reserve(size_t(target));
  for (int64_t i = 0; i < target; ++i) indexes.push_back(int((start + step * i) >> 16));
  if (indexes.back() < 0 || indexes.back() >= source) indexes.pop_back();
  return indexes;
}

void Stretch(const PixelTarget& target, const PixelImage& picture) {
  const std::vector<int> columns = StretchIndexes(picture.width, target.width);
  const std::vector<int> rows = StretchIndexes(picture.height, target.height);
  for (size_t y = 0; y < rows.size(); ++y) {
    const uint32_t* in = picture.pixels.data() + size_t(rows[y]) * size_t(picture.width);
    uint32_t* out = target.pixels + ptrdiff_t(y) * target.stride;
    for (size_t x = 0; x < columns.size(); ++x) out[x] = in[columns[x]];
  }
}

void Tile(const PixelTarget& target, const PixelImage& picture) {
  for (int y = 0; y < target.height; ++y) {
    const uint32_t* in = picture.pixels.data() + size_t(y % picture.height) * size_t(picture.width);
    uint32_t* out = target.pixels + ptrdiff_t(y) * target.stride;
    for (int x = 0; x < target.width; ++x) out[x] = in[x % picture.width];
  }
}

}  // namespace

void LayOutPicture(const PixelTarget& target, const PixelImage& picture, PictureMode mode) {
  if (picture.Empty() || target.width <= 0 || target.height <= 0) return;
  switch (mode) {
    case PictureMode::TopLeft: CopyPixels(target, picture.View(), 0, 0); break;
    case PictureMode::Stretch: Stretch(target, picture); break;
    case PictureMode::Tile: Tile(target, picture); break;
    case PictureMode::Centre:
      // The offsets truncated toward zero, as the window has always placed it.
      CopyPixels(target, picture.View(), (target.width - picture.width) / 2,
                 (target.height - picture.height) / 2);
      break;
  }
}

}  // namespace dravel
