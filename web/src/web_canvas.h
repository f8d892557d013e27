// The web edition's canvas, set up as the desktop window's and dravel-render's
// are: green one-pixel pen on dark grey, the built-in turtle of image set 1;
// and its picture as PNG, for the node command and the page alike.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/png_encoder.h"
#include "canvas/window_look.h"

namespace dravel {

// Null when layers of that size cannot be had.
inline std::unique_ptr<Canvas> WebCanvas(int width, int height, EdgeMode edge_mode) {
  std::unique_ptr<Canvas> canvas = Canvas::Create(width, height);
  if (!canvas) return nullptr;
  canvas->Turtle().Clear();
  SetWindowLook(*canvas, edge_mode);
  return canvas;
}

// The visible layer, with the sprites when `with_turtles`, as PNG bytes;
// empty when they cannot be made for want of memory. One thread owns the
// canvas, so the layer is encoded where it is.
inline std::string CanvasPng(const Canvas& canvas, bool with_turtles) {
  if (!with_turtles) {
    const PixelView layer = canvas.VisibleLayer();
    return EncodePng(layer.pixels, layer.width, layer.height, layer.stride);
  }
  const std::vector<uint32_t> frame = canvas.Paint();
  if (frame.empty()) return {};
  return EncodePng(frame.data(), canvas.Width(), canvas.Height(), canvas.Width());
}

}  // namespace dravel
