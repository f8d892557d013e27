// One script of a folder run, in a process of its own (dravel-render
// --batch-child REPORT): it runs the script, writes its picture and, when
// asked, the thumbnail for the parent's contact sheet (--batch-image) and
// its match score against a reference PNG (--reference), then a report of
// the run. So the parent holds no picture. A crash, a hang or an exhausted
// memory limit in here ends only this process; the parent tells the
// script's row from the missing report. No file it writes is written
// through a symbolic link.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-render/render_options.h"
#include "runtime/text.h"

namespace dravel {

struct ChildReport {
  int exit_status = 2;
  std::string result = "unreadable";  // ok, failed, timeout, unreadable
  Text last_line;                     // GBK, without its line break
  std::string place;                  // PlaceText of the run
  int picture_error = 0;              // errno of writing the picture; 0: written or none
  uint64_t lines_drawn = 0;
  int64_t milliseconds = 0;     // the run's own time
  std::optional<double> score;  // none when not asked or the reference is unreadable
};

// Runs options.script_path as the folder mode's child; returns the process's
// exit status (0 once the report is written).
int RunBatchChild(const RenderOptions& options);

// The report as the child writes it (one "key<TAB>value" line each) and back;
// nullopt for text that is not a whole report.
std::string ReportText(const ChildReport& report);
std::optional<ChildReport> ParseReport(std::string_view text);

// Lowers this process's address space limit to `megabytes` (not under the
// sanitizers, whose shadow memory needs far more).
void LimitMemory(int megabytes);

// The least limit (MB) under which a child runs a small script and writes
// its outputs at the options' canvas size: the program with Qt and its fonts,
// and up to four canvas-sized images (the two layers, the picture with its
// turtles, the reference). Measured, with a margin.
int LeastChildMemory(const RenderOptions& options);

}  // namespace dravel
