// dravel-render --merge OUT SUMMARY...: the summary.csv files of folder runs
// made apart (a district's classes sharded over several machines) joined
// into one OUT/summary.csv and one OUT/report.html, each row naming its
// class (its own class column, else the summary's folder's name), groups of
// copies numbered on so none is shared between classes. The summaries are
// read in either language and encoding a run writes them in; the pictures
// stay where their run wrote them, linked from the report. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/script_result.h"

namespace dravel {

// A summary.csv's rows as results; `class_name` for rows without a class
// column, `pictures` (the folder of its pictures as a path from the merged
// output) before each picture's name. nullopt when the text is no summary
// of ours.
std::optional<std::vector<ScriptResult>> SummaryRows(std::string_view csv,
                                                     const std::string& class_name,
                                                     const std::string& pictures,
                                                     std::vector<std::string>& references);

// Returns the exit status: 0 when merged, 2 when a summary cannot be found
// or read or is none of ours, or an output cannot be written or is in the
// way (a file in OUT no earlier run wrote, unless --overwrite; each said).
int MergeSummaries(const RenderOptions& options);

}  // namespace dravel
