// dravel-render's way to Qt: libdravel-text (text_library_interface.h),
// loaded on first use from beside this program (the build tree) or from
// where the install puts it, relative to the program's folder
// (DRAVEL_TEXT_LIBRARY_FROM_BIN), never from the loader's search path. Only a
// script that may write text and a folder run's contact sheet load it;
// everything else, the folder mode and its children included, runs without
// Qt. Main thread only.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "apps/dravel-render/text_library/text_library_interface.h"
#include "canvas/text_mask.h"

namespace dravel {

// True when `gbk_script` names the text command's keyword or alias anywhere
// (a false alarm only costs loading the library).
bool MayWriteText(std::string_view gbk_script);

// The text painter a run of `gbk_script` needs: the window's, its GUI
// application started, when the script may write text, else none (empty);
// nullopt, with why in `refusal`, when the library cannot be loaded.
std::optional<TextMaskPainter> TextPainterFor(std::string_view gbk_script, std::string& refusal);

// Draws a contact sheet and gives its PNG bytes; nullopt when it cannot be
// drawn or encoded.
using SheetMaker = std::function<std::optional<std::string>(std::span<const DravelSheetEntry>)>;

// The library's sheet maker; nullopt, with why in `refusal`, when the
// library cannot be loaded.
std::optional<SheetMaker> LoadSheetMaker(std::string& refusal);

// Ends the library's GUI application, if one was started; before main returns.
void EndTextLibrary();

}  // namespace dravel
