// One script of a folder run, in a process of its own (dravel-render
// --batch-child REPORT): it runs the script, writes its picture and, when
// asked, the thumbnail for the parent's contact sheet (--batch-image) and
// its match score against a reference PNG (--reference), then a report of
// the run, its ScriptResult. So the parent holds no picture. A crash, a hang or an exhausted
// memory limit in here ends only this process; the parent tells the
// script's row from the missing report. No file it writes is written
// through a symbolic link.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-render/render_options.h"

namespace dravel {

// Runs options.script_path as the folder mode's child and writes its
// ScriptResult (script_result.h); returns the process's exit status (0 once
// the result is written).
int RunBatchChild(const RenderOptions& options);

// Lowers this process's address space limit to `megabytes` (not under the
// sanitizers, whose shadow memory needs far more).
void LimitMemory(int megabytes);

// The least limit (MB) under which a child runs a small script and writes
// its outputs at the options' canvas size: the program with Qt and its fonts
// (a script may write text), and up to four canvas-sized images (the two layers, the picture with
// its turtles, the reference). Measured, with a margin.
int LeastChildMemory(const RenderOptions& options);

}  // namespace dravel
