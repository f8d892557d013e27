// The text painter a run of dravel-render (either edition) needs: none for a
// script that writes no text, so such a run never reads the font; else the
// bundled face (canvas/bundled_font.h), read before the run so that a missing
// font is refused with a message instead of a picture without its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "canvas/text_mask.h"

namespace dravel {

// True when `gbk_script` names the text command's keyword or alias anywhere
// (a false alarm only costs reading the font).
bool MayWriteText(std::string_view gbk_script);

// The painter for a run of `gbk_script`: empty when it may write no text;
// nullopt, with why in `refusal`, when the font cannot be read.
std::optional<TextMaskPainter> TextPainterFor(std::string_view gbk_script, std::string& refusal);

}  // namespace dravel
