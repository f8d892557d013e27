// Text for the canvas, set by Qt: GBK bytes decoded, set in the canvas's face
// (kTextFontFamily, 24 pixels, normal weight), turned by the escapement,
// without antialiasing, with its top-left at the anchor, into a coverage
// mask of the text's box within the layer (TextMaskPainter). No text is set
// when no QGuiApplication exists, since fonts need one, nor when the box's
// image cannot be had (pixel_memory.h).
#pragma once

#include <QFont>

#include "canvas/text_mask.h"

namespace dravel {

// The face the layers set text in; needs a QGuiApplication.
QFont TextPainterFont();

// The canvas's text painter on the desktop.
TextMask PaintTextMask(const TextRequest& text);

}  // namespace dravel
