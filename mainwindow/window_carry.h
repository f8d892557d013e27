// WindowCarry: what the window hands over to the window that replaces it
// when the display scale changes (display_scale.h), so that nothing is lost:
// the script as typed with its caret, where it came from and whether it
// changed, the run count, the hint box and where it was scrolled to, the
// canvas's properties, its drawing and turtles, the run's speed, the
// colouring and the page shown. The caller stops a run in progress first
// (with the stop's message, as the stop button gives it). Undo history and open dialogs do not
// carry over. Window thread only.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include "mainwindow/source_files.h"
#include "runtime/text.h"

namespace dravel {

class MainWindow;

struct WindowCarry {
  QString script;
  int caret = 0;
  SourceFiles::Origin origin;
  Text run_count;
  Text hint;
  int hint_scroll = 0;           // the hint box's scroll bar, in lines
  QByteArray canvas_properties;  // the stored format (TurtleCanvas::SaveProperties)
  std::string drawing;           // Canvas::Snapshot; empty when it could not be had
  int speed = 0;
  bool colouring = true;
  int page = 0;
};

WindowCarry CarryFrom(MainWindow& window);
// Everything but the canvas's properties, which the window takes as it is
// made (MainWindow's constructor).
void CarryInto(MainWindow& window, const WindowCarry& carry);

}  // namespace dravel
