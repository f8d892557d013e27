// dravel-render --merge OUT SUMMARY...: the summary.csv files of folder runs
// made apart joined into one OUT/summary.csv and one OUT/report.html, each
// row naming its class (its own class column, else the summary's folder's
// name), groups of copies numbered on so none is shared between classes. The
// pictures stay where their run wrote them, linked from the report. As a
// folder run, it replaces in OUT only what an earlier run wrote
// (output_folder.h). Plain C++.
#pragma once

#include "apps/dravel-render/render_options.h"

namespace dravel {

// Returns the exit status: 0 when merged, 2 when a summary cannot be found
// or read or is none of ours, or an output cannot be written or is in the
// way (a file in OUT no earlier run wrote, unless --overwrite; each said).
int MergeSummaries(const RenderOptions& options);

}  // namespace dravel
