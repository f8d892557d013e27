// dravel-render's way to Qt: libdravel-text (text_library_interface.h),
// loaded on first use from beside this program (the build tree) or from
// where the install puts it, relative to the program's folder
// (DRAVEL_TEXT_LIBRARY_FROM_BIN), never from the loader's search path. Only a
// folder run's contact sheet loads it (a script's text is set without Qt:
// render_font.h); everything else runs without Qt. Main thread only.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "apps/dravel-render/text_library/text_library_interface.h"

namespace dravel {

// Draws a contact sheet and gives its PNG bytes; nullopt when it cannot be
// drawn or encoded.
using SheetMaker = std::function<std::optional<std::string>(std::span<const DravelSheetEntry>)>;

// The library's sheet maker; nullopt, with why in `refusal`, when the
// library cannot be loaded.
std::optional<SheetMaker> LoadSheetMaker(std::string& refusal);

// Ends the library's GUI application, if one was started; before main returns.
void EndTextLibrary();

}  // namespace dravel
