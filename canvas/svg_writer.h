// Writes a drawing snapshot as an SVG 1.1 document: the background colour,
// the background picture (embedded PNG) when there is one, then the pen lines
// and texts in drawing order. Connected lines of one colour and width become
// one polyline. Text is set in the canvas's own face at 24 pixels, rotated
// about its top-left anchor as the layers draw it.
//
// When the record overflowed (see DrawingRecord) the document holds the
// visible layer as one embedded PNG instead, and its <desc> says so: the
// picture is complete, only not as vectors. An empty drawing gives a valid
// document with just the background; a snapshot that is not complete (a
// picture it needs could not be allocated) gives no document at all.
#pragma once

#include <QByteArray>

#include "canvas/drawing_record.h"

namespace dravel {

QByteArray WriteSvg(const DrawingSnapshot& drawing);

// The <desc> text of a document that holds the visible layer as a bitmap.
inline constexpr char kSvgBitmapFallback[] =
    "Too many items to keep as vectors; the picture is embedded as a bitmap.";

}  // namespace dravel
