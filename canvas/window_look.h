// The size and look of the main window's canvas, which every picture made
// without the window copies (dravel-render, the examples' pictures, the web
// edition): a green one-pixel pen on dark grey.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace dravel {

// The window's canvas in pixels: dravel-render's and the page's start so too.
inline constexpr int kCanvasWidth = 732;
inline constexpr int kCanvasHeight = 420;
inline constexpr uint32_t kWindowPenColour = 0x00FF00;  // 0x00BBGGRR
inline constexpr uint32_t kWindowBackgroundColour = 0x606060;
// The widest pen the window's settings offer.
inline constexpr int kWidestWindowPen = 50;

inline void SetWindowLook(Canvas& canvas, EdgeMode edge_mode) {
  canvas.SetEdgeMode(edge_mode);
  canvas.SetPenColour(kWindowPenColour);
  canvas.SetBackgroundColour(kWindowBackgroundColour);
  canvas.SetPenWidth(1);
}

}  // namespace dravel
