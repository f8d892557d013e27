// Folder mode of dravel-render: every .dvg file of a folder, each run in a
// process of its own (so a script that crashes or exhausts its memory marks
// only its own row) on a fresh canvas with its own timeout, several at a
// time; one picture per script, the summaries, optionally a contact sheet
// (drawn by the text library, text_library.h), and with a reference picture
// each script's match score.
#pragma once

#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/render_options.h"

namespace dravel {

inline constexpr size_t kMaxSheetEntries = 200;

// Returns the exit status: 0 when every script ended with its closing
// message, 1 when one did not or there was none, 2 when the folder, the
// reference or an output could not be read or written.
int RenderFolder(const RenderOptions& options);

}  // namespace dravel
