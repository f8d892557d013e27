// dravel-render's way to Qt: libdravel-text (text_library_interface.h),
// loaded on first use from beside this program (the build tree) or from
// where the install puts it, relative to the program's folder
// (DRAVEL_TEXT_LIBRARY_FROM_BIN), never from the loader's search path. Only a
// script that may write text, the folder mode, --check and the folder's
// children load it; everything else runs without Qt. Main thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "canvas/text_mask.h"

namespace dravel {

// True when `gbk_script` names the text command's keyword or alias anywhere
// (a false alarm only costs loading the library).
bool MayWriteText(std::string_view gbk_script);

// The window's text painter, its GUI application started; nullopt, with why
// in `refusal`, when the library cannot be loaded.
std::optional<TextMaskPainter> LoadTextPainter(std::string& refusal);

// Runs the library's folder mode on the command line; 2, having said why,
// when the library cannot be loaded.
int RunFolderMode(int argc, char** argv);

// Ends the library's GUI application, if one was started; before main returns.
void EndTextLibrary();

}  // namespace dravel
