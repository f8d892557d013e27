// The page's 写文字: the browser sets the text (Module.paintText in
// page/worker.js) and the canvas colours the covered pixels. Every canvas of
// the page's module (the run's, the examples' and the reference's pictures)
// takes its text from here, so a picture shows the text a run writes.
#pragma once

#include "canvas/text_mask.h"

namespace dravel {

// The text's coverage mask within the layer; empty when the browser has no
// canvas to set it in or nothing of it falls on the layer.
TextMask PaintPageText(const TextRequest& text);

}  // namespace dravel
