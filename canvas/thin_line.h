// Lines of width 1 as GDI draws them, straight into the scan lines of both
// layers: Bresenham's pixels from the start pixel up to, but not including,
// the end pixel, clipped without walking the parts outside the layers.
#pragma once

#include <cstdint>

#include "canvas/pixel_format.h"

namespace dravel {

// `from` and `to` are rounded turtle offsets from the layers' centre, y up.
void DrawThinLine(const PixelLayers& layers, int32_t from_x, int32_t from_y, int32_t to_x,
                  int32_t to_y, uint32_t pixel);

}  // namespace dravel
