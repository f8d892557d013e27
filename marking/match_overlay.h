// The picture of what differs between a drawing and the reference at their
// match's placement, in the reference's frame and size, so that a class's
// pictures all show the target as the teacher drew it, each pupil's drawing
// laid on it: the reference's strokes the drawing has in the pen colour,
// those it lacks in red, the drawing's strokes the reference lacks in
// orange, on the background colour. Plain C++.
#pragma once

#include <cstdint>

#include "canvas/pixel_image.h"
#include "marking/drawing_match.h"

namespace dravel {

// 0x00BBGGRR, as the canvas's colours.
inline constexpr uint32_t kMissingColour = 0x0000FF;
inline constexpr uint32_t kExtraColour = 0x00A5FF;

PixelImage MatchOverlay(const DrawnShape& reference, const DrawnShape& drawing,
                        const DrawingMatch& match, uint32_t pen_colour, uint32_t background_colour);

}  // namespace dravel
