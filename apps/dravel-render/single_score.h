// The score of a single script's run (dravel-render --reference TARGET
// SCRIPT): each TARGET read (a PNG) or run (a .dvg, on a canvas of its own as
// the script was), refused as the folder mode refuses a reference, the best
// score printed as 得分 N after the hint text, and the picture of what
// differs written when asked (--overlay).
#pragma once

#include <ostream>

#include "apps/dravel-render/render_options.h"
#include "canvas/canvas_core.h"

namespace dravel {

// 0 when scored; 2, with the reason on standard error, when a reference is
// bad or the overlay cannot be written. A run stopped before its end
// (`ran_to_end` false) gets a dash, not a score, and its overlay.
int ScoreSingleRun(const RenderOptions& options, const CanvasCore& canvas, std::ostream& text,
                   bool ran_to_end);

}  // namespace dravel
