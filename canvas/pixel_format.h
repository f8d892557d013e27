// The layers' pixels: 32-bit 0xFFRRGGBB values, row after row, and the
// colours as scripts and properties give them (0x00BBGGRR), with the pen's
// rules. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dravel {

inline constexpr uint32_t kKeyColour = 0x3E2B22;  // 0x00BBGGRR
inline constexpr int kMaxPenWidth = 65534;
// The pixel a sprite frame leaves see-through.
inline constexpr uint32_t kWhitePixel = 0xFFFFFFFF;

// 0x00BBGGRR to the layers' pixel format, and back.
constexpr uint32_t PixelOf(uint32_t colour) {
  const uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}
constexpr uint32_t ColourOf(uint32_t pixel) {
  const uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
  return red | green << 8 | blue << 16;
}

// The pen colour drawn for `colour`: the key colour itself is raised to blue
// 63, so that ink stays ink.
constexpr uint32_t DrawnPenColour(uint32_t colour) {
  colour &= 0xFFFFFF;
  return colour == kKeyColour ? kKeyColour + 0x010000 : colour;
}
// Out-of-range pen widths (<= 0 or > 65534) become 1.
constexpr int DrawnPenWidth(int width) { return width <= 0 || width > kMaxPenWidth ? 1 : width; }

// The two layers a line is drawn into, `stride` pixels from row to row.
struct PixelLayers {
  uint32_t* visible = nullptr;
  uint32_t* ink = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

}  // namespace dravel
