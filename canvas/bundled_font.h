// The bundled font file, dravel-text.ttf, and the face read from it: read
// once per process, at the first text, so that a run without text never
// reads it. Where it is looked for is the edition's (BundledFontPlaces:
// font_places.cpp on the desktop, web/src/font_places_node.cpp for the node
// command); the page fetches it instead (web/src/page_text.cpp).
#pragma once

#include <string>
#include <vector>

#include "canvas/text_face.h"
#include "canvas/text_mask.h"

namespace dravel {

inline constexpr char kBundledFontName[] = "dravel-text.ttf";

// The paths the font is looked for at, in order.
std::vector<std::string> BundledFontPlaces();

// The face of the first place that holds a readable font, read at the first
// call (any thread); null when no place does.
const TextFace* BundledFace();

// A painter that sets text in the bundled face (text_setter.h), reading it
// at its first text; it sets nothing when the font cannot be read, and says
// so once on standard error.
TextMaskPainter BundledTextPainter();

}  // namespace dravel
