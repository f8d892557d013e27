// Text as the canvas asks a host to draw it: the canvas knows no fonts, so a
// painter the host gives (Qt's on the desktop, the browser's on the page)
// sets the text into a coverage mask of its box, and the canvas inks the
// covered pixels in the pen colour. The face is one constant, so that the
// painter and the vector export name the same one.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace dravel {

// The face text is set in, 24 pixels high, normal weight.
inline constexpr char kTextFontFamily[] = "AR PL UMing CN";
inline constexpr int kTextPixelSize = 24;

// One text to draw: GBK bytes (up to the first zero byte) with the top-left
// of its first character at pixel (x, y) of a layer of `layer_width` x
// `layer_height`, running `escapement` tenths of a degree anticlockwise from
// the x axis.
struct TextRequest {
  std::string_view gbk_text;
  int x = 0;
  int y = 0;
  int escapement = 0;
  int layer_width = 0;
  int layer_height = 0;
};

// What a painter drew: `coverage` holds `height` rows of `width` bytes, not 0
// where the text covers the pixel (left + column, top + row). The box lies
// within the layer; empty when nothing of the text is on it. `ascent` is the
// face's height above its baseline, which the vector export needs.
struct TextMask {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;
  int ascent = 0;
};

using TextMaskPainter = std::function<TextMask(const TextRequest& text)>;

}  // namespace dravel
