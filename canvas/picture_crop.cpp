#include "canvas/picture_crop.h"

#include <algorithm>
#include <cstdint>

#include "canvas/pixel_format.h"

namespace dravel {
namespace {

constexpr int kMargin = 10;
constexpr int kSmallestWidth = 60;
constexpr int kSmallestHeight = 44;
constexpr double kLargestRatio = 3;

int Right(PixelBox box) { return box.left + box.width - 1; }
int Bottom(PixelBox box) { return box.top + box.height - 1; }

PixelBox Around(PixelBox a, PixelBox b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int left = std::min(a.left, b.left);
  const int top = std::min(a.top, b.top);
  return {left, top, std::max(Right(a), Right(b)) - left + 1,
          std::max(Bottom(a), Bottom(b)) - top + 1};
}

}  // namespace

PixelBox DrawnBox(const Canvas& canvas, bool with_turtle) {
  const PixelView ink = canvas.InkLayer();
  const auto drawn = [](uint32_t pixel) { return pixel != PixelOf(kKeyColour); };
  PixelBox box;
  for (int y = 0; y < ink.height; ++y) {
    const uint32_t* row = ink.pixels + y * ink.stride;
    const auto first = std::find_if(row, row + ink.width, drawn);
    if (first == row + ink.width) continue;
    const auto last =
        std::find_if(std::reverse_iterator(row + ink.width), std::reverse_iterator(first), drawn);
    box = Around(box, {int(first - row), y, int(last.base() - first), 1});
  }
  if (!with_turtle && !box.Empty()) return box;
  for (const SpritePose& sprite : canvas.SpritePoses()) {
    if (sprite.frame == nullptr || sprite.frame->Empty()) continue;
    const int side = std::max(sprite.frame->width, sprite.frame->height) * 3 / 2;
    const int centre_x = canvas.Width() / 2 + RoundSaturated(sprite.position.x);
    const int centre_y = canvas.Height() / 2 - RoundSaturated(sprite.position.y);
    box = Around(box, {centre_x - side / 2, centre_y - side / 2, side, side});
  }
  return box;
}

PixelBox PictureCrop(PixelBox box, int width, int height) {
  if (box.Empty()) box = {width / 2, height / 2, 1, 1};
  box = {box.left - kMargin, box.top - kMargin, box.width + 2 * kMargin, box.height + 2 * kMargin};
  const int grown_width = std::max(box.width, kSmallestWidth);
  const int grown_height = std::max(box.height, kSmallestHeight);
  const int centre_x = int((int64_t(box.left) + Right(box)) / 2);
  const int centre_y = int((int64_t(box.top) + Bottom(box)) / 2);
  box = {centre_x - grown_width / 2, centre_y - grown_height / 2, grown_width, grown_height};
  const int left = std::max(box.left, 0);
  const int top = std::max(box.top, 0);
  const int right = std::min(Right(box), width - 1);
  const int bottom = std::min(Bottom(box), height - 1);
  if (right < left || bottom < top) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

double CropRatio(PixelBox crop, int largest_width, int largest_height) {
  if (crop.Empty()) return 1;
  return std::min(
      {kLargestRatio, double(largest_width) / crop.width, double(largest_height) / crop.height});
}

}  // namespace dravel
