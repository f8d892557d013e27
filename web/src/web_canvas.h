// The web edition's canvas, set up as the desktop window's and dravel-render's
// are: green one-pixel pen on dark grey, the turtle sprite of image set 1.
#pragma once

#include <memory>

#include "canvas/pixel_canvas.h"
#include "canvas/window_look.h"
#include "web/src/web_sprites.h"

namespace dravel {

inline constexpr int kWebCanvasWidth = 732;
inline constexpr int kWebCanvasHeight = 420;

inline std::unique_ptr<PixelCanvas> WebCanvas(int width, int height, EdgeMode edge_mode) {
  auto canvas = std::make_unique<PixelCanvas>(width, height, WebSprites);
  canvas->Turtle().Clear();
  SetWindowLook(*canvas, edge_mode);
  return canvas;
}

}  // namespace dravel
