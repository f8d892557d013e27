// A summary.csv read back into results, so that the summaries of folder runs
// made apart (a district's classes sharded over several machines) can be
// joined: its columns read in either language, its cells in either encoding
// a run writes (the caller decodes the file), a cell's formula guard taken
// off. Finding the files and writing the joined outputs is the caller's
// (dravel-render --merge: merge_command.h). Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "marking/script_result.h"

namespace dravel {

// A summary.csv's rows (UTF-8 `csv`) as results; `class_name` for rows
// without a class column, `pictures` (the folder of its pictures as a path
// from the merged output) before each picture's name; each row's reference
// named in `references`, a name not there yet added. nullopt when the text
// is no summary of ours.
std::optional<std::vector<ScriptResult>> SummaryRows(std::string_view csv,
                                                     const std::string& class_name,
                                                     const std::string& pictures,
                                                     std::vector<std::string>& references);

}  // namespace dravel
