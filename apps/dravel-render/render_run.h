// One headless run: a canvas set up like the main window's (green one-pixel
// pen on dark grey, the chosen edge mode), the script run as the run button
// would, and stop pressed once the timeout has passed. Shared by the single
// script and the folder modes of dravel-render.
#pragma once

#include <chrono>
#include <optional>

#include "apps/dravel-render/render_options.h"
#include "canvas/canvas_core.h"
#include "runtime/text.h"

namespace dravel {

struct RunOutcome {
  Text hint;             // what the hint box would show (bounded)
  bool stopped = false;  // the timeout pressed stop
  int exit_status = 1;   // 0 when the run ended with its closing message
};

void SetUpCanvas(CanvasCore& canvas, EdgeMode edge_mode);

// Runs `script` (GBK) on `canvas` with the options' run count and timeout.
RunOutcome RunOnCanvas(const RenderOptions& options, const Text& script, CanvasCore& canvas,
                       std::optional<std::chrono::milliseconds> timeout);

// The timeout of --timeout, if given.
std::optional<std::chrono::milliseconds> TimeoutOf(const RenderOptions& options);

// A script file's bytes as the editor would hold them, read in `encoding`.
Text ScriptOf(std::string_view bytes, ScriptEncoding encoding);

// The last non-empty line of a hint text, without its line break.
Text LastHintLine(const Text& hint);

}  // namespace dravel
