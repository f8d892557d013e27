// The page's 写文字: the one text setter (canvas/text_setter.h) in the bundled
// font, which the worker fetches when the first text is set (Module.fetchTextFont
// in page/worker.js; a page opened from disk hands it over instead) and the
// service worker keeps; until then the page never downloads it. Every canvas
// of the page's module (the run's, the examples' and the reference's
// pictures) takes its text from here. The fetch is the run host's
// (RunHost::PrepareText, before each text command), never the canvas's, so
// nothing of the canvas is on the stack while the worker waits (the module's
// ASYNCIFY_REMOVE list in web/CMakeLists.txt relies on it). A call that may
// set the first text must be made so that it may wait (ccall with async),
// unless the worker already holds the font (Module.textFont).
#pragma once

#include "canvas/text_mask.h"

namespace dravel {

// Fetches the font unless it is held or could not be had in this run,
// handing the worker back to the browser meanwhile.
void FetchPageTextFont();

// The text's coverage mask within the layer; empty when the font has not
// been fetched, cannot be had, or nothing of the text falls on the layer.
TextMask PaintPageText(const TextRequest& text);

// A font that could not be had is asked for again at the next text (a new
// run), not at every text of this one.
void RetryTextFont();

}  // namespace dravel
