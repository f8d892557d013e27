// dravel-render --check: the checker over script files, one line per finding
// as FILE:LINE:COLUMN: message, followed by the line its fix would leave
// (indented, after "→ 修正为："), for a teacher to look over a folder before
// rendering it.
#pragma once

#include "apps/dravel-render/render_options.h"

namespace dravel {

// Checks every script of `options.check_paths` (a folder: its scripts as the
// folder mode lists them);
// 0 when nothing was found, 1 when something was, 2 when a script could not
// be read.
int CheckScripts(const RenderOptions& options);

}  // namespace dravel
