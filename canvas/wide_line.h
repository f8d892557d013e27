// Lines wider than one pixel, straight into both layers: every pixel whose
// centre lies within half the pen's width of the segment between the two end
// pixels' centres, which gives round ends. Only the segment's box, grown by
// the width and clipped to the layers, is visited.
#pragma once

#include <cstdint>

#include "canvas/pixel_format.h"

namespace dravel {

// `from` and `to` are rounded turtle offsets from the layers' centre, y up;
// `width` is above 1.
void DrawWideLine(const PixelLayers& layers, int32_t from_x, int32_t from_y, int32_t to_x,
                  int32_t to_y, int width, uint32_t pixel);

}  // namespace dravel
