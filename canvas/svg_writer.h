// Writes a drawing snapshot as an SVG 1.1 document, in plain C++: the
// background colour, the background picture (embedded as our own PNG) when
// there is one, then the pen lines and texts in drawing order. Connected
// lines of one colour and width become one polyline; wide ones have round
// ends and joins, as the layers draw them. Text is set in the face the text
// painter uses (kTextFontFamily) at 24 pixels, rotated about its top-left
// anchor as the layers draw it.
//
// When the record is incomplete (see DrawingRecord) the document holds the
// visible layer as one embedded PNG instead, and its <desc> says so: the
// picture is complete, only not as vectors. An empty drawing gives a valid
// document with just the background. The result is empty when a picture
// the snapshot needs could not be allocated (it is not complete) or a PNG
// could not be encoded.
#pragma once

#include <string>

#include "canvas/drawing_record.h"

namespace dravel {

std::string WriteSvg(const DrawingSnapshot& drawing);

// The <desc> text of a document that holds the visible layer as a bitmap.
inline constexpr char kSvgBitmapFallback[] =
    "Too many items to keep as vectors; the picture is embedded as a bitmap.";

}  // namespace dravel
