// The speed limit a drawing run is measured against: the segments a script
// draws, captured from the turtle model on a recording surface, drawn again
// as 1-px Bresenham lines into a raw 32-bit buffer, with no interpreter, no
// lock and no layers.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/turtle_model.h"
#include "runtime/text.h"

namespace dravel::bench {

struct PixelSegment {
  int32_t x0, y0, x1, y1;
};

// The pixel segments `script` draws in one run on a `width` x `height` canvas
// in Wrap mode, in the order drawn.
std::vector<PixelSegment> CaptureSegments(const Text& script, int width, int height);

// Draws every segment into `buffer` (width * height pixels), clipped, from
// its first pixel up to but not including its last; gives the pixels set.
int64_t DrawRaw(const std::vector<PixelSegment>& segments, std::vector<uint32_t>& buffer, int width,
                int height);

}  // namespace dravel::bench
