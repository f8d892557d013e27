// The desktop canvas's pictures as the web edition's canvas holds them, for
// comparing the two: its sprite frames as pixel images, an image's pixels.
#pragma once

#include <QImage>
#include <map>
#include <vector>

#include "canvas/pixel_image.h"
#include "canvas/sprite_images.h"

namespace dravel::testing {

inline const std::vector<PixelImage>& DesktopSprites(int image_set) {
  static std::map<int, std::vector<PixelImage>> sets;
  auto [entry, added] = sets.try_emplace(image_set);
  if (added) {
    for (const QImage& frame : BuiltInSprites(image_set)) entry->second.push_back(PixelsOf(frame));
  }
  return entry->second;
}

inline std::vector<uint32_t> PixelsIn(const QImage& image) { return PixelsOf(image).pixels; }

}  // namespace dravel::testing
