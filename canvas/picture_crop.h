// The part of a canvas a reference picture shows: what was drawn (and the
// turtles, when they are what changed), with a margin, never smaller than a
// readable crop, inside the canvas; and how much larger it may be shown. The
// window's command reference, the page's F1 and the page's guide crop their
// pictures here, so the three show the same part.
#pragma once

#include "canvas/canvas.h"

namespace dravel {

struct PixelBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool Empty() const { return width <= 0 || height <= 0; }
};

// The ink's pixels, and the turtles' sprites (as squares their turns fit)
// when `with_turtle` or when there is no ink; empty when there is neither.
PixelBox DrawnBox(const Canvas& canvas, bool with_turtle);

// `drawn` with a margin, grown to the smallest crop about its centre, within
// a canvas of `width` x `height` (its middle when nothing was drawn).
PixelBox PictureCrop(PixelBox drawn, int width, int height);

// The scale a crop is shown at to fit `largest_width` x `largest_height`,
// at most 3: a crop larger than that space is shown smaller.
double CropRatio(PixelBox crop, int largest_width, int largest_height);

}  // namespace dravel
