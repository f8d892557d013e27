#include "web/src/web_sprites.h"

namespace dravel {

const std::vector<PixelImage>& WebSprites(int) {
  static const std::vector<PixelImage> frames = [] {
    std::vector<PixelImage> cut;
    const SpriteStrip& strip = kTurtleStrip;
    for (int left = 0; left + strip.frame_width <= strip.width; left += strip.frame_width) {
      PixelImage frame{strip.frame_width, strip.height, {}};
      for (int y = 0; y < strip.height; ++y) {
        const uint32_t* row = strip.pixels + y * strip.width + left;
        frame.pixels.insert(frame.pixels.end(), row, row + strip.frame_width);
      }
      cut.push_back(std::move(frame));
    }
    return cut;
  }();
  return frames;
}

}  // namespace dravel
