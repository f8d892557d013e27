// One headless run: a canvas set up like the main window's (green one-pixel
// pen on dark grey, the chosen edge mode), the script run as the run button
// would, and stop pressed once the timeout has passed. Shared by the single
// script and the folder modes of dravel-render.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_text.h"
#include "canvas/canvas_core.h"
#include "canvas/text_mask.h"
#include "runtime/text.h"

namespace dravel {

struct RunOutcome {
  Text hint;             // what the hint box would show (bounded)
  bool stopped = false;  // the timeout pressed stop
  int exit_status = 1;   // 0 when the run ended with its closing message
  int failing_line = 0;  // the script line the closing message points at, 0: none
  int failing_item = 0;  // the body item inside it, 0: none
};

// Where a failing run's message points in the file: "line 3" or
// "line 3, body item 2"; empty when it points nowhere.
std::string PlaceText(const RunOutcome& outcome);

// Sets `canvas` up as the main window's (cleared, the options' edge mode and
// pen width, text set by `text`: the window's painter, or none when the
// script writes no text), keeping the drawing record when `record` (an SVG is
// written from it).
void SetUpCanvas(CanvasCore& canvas, const RenderOptions& options, bool record,
                 const TextMaskPainter& text);

// Runs `script` (GBK) on `canvas` with the options' run count and timeout,
// waiting at 延时 lines when `keep_delays`. A zero timeout stops the run
// before it starts: the hint is its header and the stop, the canvas as it was.
RunOutcome RunOnCanvas(const RenderOptions& options, const Text& script, CanvasCore& canvas,
                       std::optional<std::chrono::milliseconds> timeout, bool keep_delays);

}  // namespace dravel
