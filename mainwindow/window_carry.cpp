#include "mainwindow/window_carry.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "canvas/turtle_canvas.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/main_window.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/settings_page.h"
#include "mainwindow/tab_control.h"

namespace dravel {

WindowCarry CarryFrom(MainWindow& window) {
  WindowCarry carry;
  carry.script = window.Editor().toPlainText();
  carry.caret = window.Editor().textCursor().position();
  carry.origin = window.Files().CurrentOrigin();
  carry.run_count = window.RunCountBox().Content();
  carry.hint = window.HintBox().Content();
  carry.hint_scroll = window.HintBox().verticalScrollBar()->value();
  carry.canvas_properties = window.Canvas().SaveProperties();
  carry.drawing = window.Canvas().Core().Lock()->Snapshot();
  carry.speed = window.Settings().Speed();
  carry.colouring = window.Settings().ColouringBox().isChecked();
  carry.page = window.Tabs().CurrentPage();
  return carry;
}

void CarryInto(MainWindow& window, const WindowCarry& carry) {
  window.Editor().SetWidgetText(carry.script);
  QTextCursor caret = window.Editor().textCursor();
  caret.setPosition(std::min(carry.caret, static_cast<int>(carry.script.size())));
  window.Editor().setTextCursor(caret);
  // After the text, whose setting counts as an edit.
  window.Files().TakeOver(carry.origin);
  window.RunCountBox().SetContent(carry.run_count);
  window.HintBox().SetContent(carry.hint);
  // Once the box is laid out at its size, which comes with the window's show.
  QTimer::singleShot(0, &window.HintBox(), [&hint = window.HintBox(), scroll = carry.hint_scroll] {
    hint.verticalScrollBar()->setValue(scroll);
  });
  if (!carry.drawing.empty()) window.Canvas().Core().Lock()->Restore(carry.drawing);
  window.Settings().SetSpeed(carry.speed);
  window.Settings().ColouringBox().setChecked(carry.colouring);
  window.Tabs().SetCurrentPage(carry.page);
}

}  // namespace dravel
