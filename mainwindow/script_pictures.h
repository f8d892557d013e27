// Pictures of scripts for the window's help: a script run to its end on a
// canvas like the main window's (green on grey, Wrap, 732 x 420, the turtle
// shown), with no pause for 延时 and no hint box. The example chooser shows
// the whole canvas scaled down; the command reference shows what an example
// draws, cropped to it with the turtle and painted larger from the drawing's
// record, so a turn or a short text can be seen. Window thread only.
#pragma once

#include <QImage>
#include <QSize>

#include "runtime/text.h"

namespace dravel {

// The canvas after `gbk_script` has run once, scaled to fit `size`. A script
// that runs past a short time is stopped there.
QImage ScriptPicture(const Text& gbk_script, QSize size);

// What `gbk_script` drew (and its turtle, when `with_turtle` or when it drew
// nothing), with a margin, at most three times its size and no larger than
// `largest`.
QImage CroppedScriptPicture(const Text& gbk_script, QSize largest, bool with_turtle);

}  // namespace dravel
