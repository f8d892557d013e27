// The web edition's canvas, set up as the desktop window's and dravel-render's
// are: green one-pixel pen on dark grey, the built-in turtle of image set 1.
#pragma once

#include <memory>

#include "canvas/canvas.h"
#include "canvas/window_look.h"

namespace dravel {

inline constexpr int kWebCanvasWidth = 732;
inline constexpr int kWebCanvasHeight = 420;

// Null when layers of that size cannot be had.
inline std::unique_ptr<Canvas> WebCanvas(int width, int height, EdgeMode edge_mode) {
  std::unique_ptr<Canvas> canvas = Canvas::Create(width, height);
  if (!canvas) return nullptr;
  canvas->Turtle().Clear();
  SetWindowLook(*canvas, edge_mode);
  return canvas;
}

}  // namespace dravel
