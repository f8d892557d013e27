// Folder mode of dravel-render: every .dvg file of a folder run in turn, each
// on a fresh canvas and with its own timeout (10 s unless --timeout is given)
// so a looping script cannot hold up the rest; one picture per script, a
// summary of each script's exit status and last hint line, and optionally a
// contact sheet. A script that cannot be read is reported and skipped.
#pragma once

#include <string>

#include "apps/dravel-render/render_options.h"

namespace dravel {

inline constexpr double kFolderTimeoutSeconds = 10;
inline constexpr char kSummaryFileName[] = "summary.txt";
inline constexpr size_t kMaxSheetEntries = 200;

// Returns the exit status: 0 when every script ended with its closing
// message, 1 when one did not, 2 when the folder or an output could not be
// read or written.
int RenderFolder(const RenderOptions& options);

}  // namespace dravel
