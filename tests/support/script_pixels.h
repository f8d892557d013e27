// The picture a script (GBK) leaves on a canvas with the window's look,
// wrapping at its edges, without the turtle: drawn once on the calling
// thread by the plain canvas, as dravel-render draws it. For tests and
// benchmarks that need real drawings without starting a process; text is
// not drawn.
#pragma once

#include <string_view>

#include "canvas/pixel_image.h"
#include "canvas/window_look.h"

namespace dravel::testing {

PixelImage ScriptPixels(std::string_view gbk_script, int width = kCanvasWidth,
                        int height = kCanvasHeight);

}  // namespace dravel::testing
