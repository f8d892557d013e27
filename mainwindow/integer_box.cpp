#include "mainwindow/integer_box.h"

#include <QKeyEvent>
#include <algorithm>
#include <climits>
#include <string>

#include "mainwindow/alt_keys.h"
#include "mainwindow/qt_text.h"
#include "runtime/value.h"

namespace dravel {
namespace {

bool IsAcceptedInput(const QString& typed) {
  for (QChar c : typed) {
    if (!c.isPrint()) continue;  // control keys always pass
    if (c != QChar('-') && (c < QChar('0') || c > QChar('9'))) return false;
  }
  return true;
}

}  // namespace

IntegerBox::IntegerBox(QWidget* parent) : QLineEdit(parent) { setMaxLength(INT_MAX); }

Text IntegerBox::Content() const { return FromWidgetText(text()); }

void IntegerBox::SetContent(const Text& gbk) { setText(ToWidgetText(gbk)); }

void IntegerBox::keyPressEvent(QKeyEvent* event) {
  if (IsAltKey(*event) || !IsAcceptedInput(event->text())) {
    event->accept();  // refused: swallowed, the text stays as it was
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void IntegerBox::focusOutEvent(QFocusEvent* event) {
  const int caret = cursorPosition();
  const int value = LeadingInteger(text().toStdString());
  setText(value == 0 ? QString() : QString::number(value));
  setCursorPosition(std::min<int>(caret, static_cast<int>(text().size())));
  QLineEdit::focusOutEvent(event);
}

}  // namespace dravel
