#include "canvas/sprite_frames.h"

#include <array>

namespace dravel {

const SpriteFrames& BuiltInSprites(int image_set) {
  static const std::array<SpriteFrames, kImageSetCount - 1> sets = [] {
    std::array<SpriteFrames, kImageSetCount - 1> cut;
    for (size_t i = 0; i < cut.size(); ++i) {
      const SpriteStrip& strip = kBuiltInStrips[i];
      const PixelImage whole{
          strip.width, strip.height,
          std::vector<uint32_t>(strip.pixels,
                                strip.pixels + size_t(strip.width) * size_t(strip.height))};
      cut[i] = SplitStrip(whole, strip.frame_width);
    }
    return cut;
  }();
  const bool listed = image_set >= 1 && image_set < kImageSetCount;
  return sets[listed ? image_set - 1 : 0];
}

SpriteFrames SplitStrip(const PixelImage& strip, int frame_width) {
  SpriteFrames frames;
  if (strip.Empty() || frame_width <= 0 || frame_width > strip.width) return frames;
  for (int left = 0; left + frame_width <= strip.width; left += frame_width) {
    PixelImage frame{frame_width, strip.height, {}};
    frame.pixels.reserve(size_t(frame_width) * size_t(strip.height));
    for (int y = 0; y < strip.height; ++y) {
      const uint32_t* row = strip.pixels.data() + size_t(y) * size_t(strip.width) + size_t(left);
      frame.pixels.insert(frame.pixels.end(), row, row + frame_width);
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace dravel
