// Text as the canvas asks a host to draw it: the canvas knows no fonts, so a
// painter the host gives (the one setter in the bundled face, text_setter.h,
// in every edition) sets the text into a coverage mask of its box, and the
// canvas inks the covered pixels in the pen colour. The face's name and
// size are constants, which the vector export names too.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace dravel {

// The face text is set in, 24 pixels high, normal weight.
inline constexpr char kTextFontFamily[] = "AR PL UMing CN";
inline constexpr int kTextPixelSize = 24;

// One text to draw: GBK bytes (up to the first zero byte) with the top-left
// of its first character at pixel (x, y) of a layer of `layer_width` x
// `layer_height`, running `escapement` tenths of a degree anticlockwise from
// the x axis. The canvas asks at `scale` 1; the window's denser screens ask
// for the same text laid out alike, set `scale` times as large in a layer of
// `scale` times the pixels each way (ScaledLength), with the mask in that
// layer's pixels.
struct TextRequest {
  std::string_view gbk_text;
  int x = 0;
  int y = 0;
  int escapement = 0;
  int layer_width = 0;
  int layer_height = 0;
  double scale = 1;
};

// A length of the canvas in the pixels of a layer `scale` times as dense.
inline int ScaledLength(int length, double scale) { return int(std::lround(length * scale)); }

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

// A box of the layer: `width` x `height` pixels from (left, top).
struct TextBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// The part of the layer that a text `advance` pixels wide and `line_height`
// high reaches once turned by the request's escapement about its anchor,
// with half a line around it for glyphs (of a fallback face, say) that reach
// past the face's advance and height: every painter sets its text in this
// box, the desktop's and the page's alike. The box is in the pixels of the
// request's scale.
inline TextBox TurnedTextBox(const TextRequest& request, double advance, int line_height) {
  const double scale = request.scale;
  const double margin = line_height / 2;
  const double angle = -request.escapement / 10.0 * 3.14159265358979323846 / 180.0;
  const double cos = std::cos(angle), sin = std::sin(angle);
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
  for (const auto& [u, v] : {std::pair{-margin, -margin}, std::pair{advance + margin, -margin},
                             std::pair{-margin, line_height + margin},
                             std::pair{advance + margin, line_height + margin}}) {
    const double x = (request.x + u * cos - v * sin) * scale;
    const double y = (request.y + u * sin + v * cos) * scale;
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
  // Whole pixels that hold the turned box, within the layer.
  const auto within = [](double value, int bound) {
    return int(std::clamp(value, 0.0, double(bound)));
  };
  TextBox box;
  const int layer_width = ScaledLength(request.layer_width, scale);
  const int layer_height = ScaledLength(request.layer_height, scale);
  box.left = within(std::floor(left), layer_width);
  box.top = within(std::floor(top), layer_height);
  box.width = within(std::ceil(right), layer_width) - box.left;
  box.height = within(std::ceil(bottom), layer_height) - box.top;
  return box.Empty() ? TextBox{} : box;
}

}  // namespace dravel
