// Pictures of scripts for the window's help: a script run to its end on a
// canvas like the main window's (green on grey, Wrap, 732 x 420, the turtle
// shown), with no pause for 延时 and no hint box, and scaled down. The command
// reference and the example chooser show them. Window thread only.
#pragma once

#include <QImage>
#include <QSize>

#include "runtime/text.h"

namespace dravel {

// The canvas after `gbk_script` has run once, scaled to fit `size`. A script
// that runs past a short time is stopped there.
QImage ScriptPicture(const Text& gbk_script, QSize size);

}  // namespace dravel
