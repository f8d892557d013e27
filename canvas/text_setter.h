// The one text setter of every edition: a text laid out in the bundled face
// (text_face.h), glyph after glyph at their whole-pixel advances, with its
// top-left at the request's anchor and turned by its escapement, into the
// coverage mask of its box (TurnedTextBox) that the canvas inks. The window
// (at every scale: its dense layer asks for the text at the screen's
// density), dravel-render, the node command and the page all set text here,
// so a script's text has the same pixels in each.
#pragma once

#include "canvas/text_face.h"
#include "canvas/text_mask.h"

namespace dravel {

// `request`'s text set in `face` at the request's scale: the mask of its box
// within the layer (empty, with the ascent at the canvas's scale, when
// nothing of it is on the layer or the box's memory cannot be had:
// pixel_memory.h). Bytes GBK cannot decode are set as the face sets U+FFFD.
TextMask SetText(const TextFace& face, const TextRequest& request);

}  // namespace dravel
