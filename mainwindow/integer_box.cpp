#include "mainwindow/integer_box.h"

#include <QKeyEvent>
#include <algorithm>
#include <climits>

#include "mainwindow/alt_keys.h"
#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

bool IsAcceptedInput(const QString& typed) {
  for (QChar c : typed) {
    if (!c.isPrint()) continue;  // control keys always pass
    if (c != QChar('-') && (c < QChar('0') || c > QChar('9'))) return false;
  }
  return true;
}

long long SaturatingDigits(const QString& text, qsizetype pos) {
  long long value = 0;
  for (; pos < text.size() && text[pos] >= QChar('0') && text[pos] <= QChar('9'); ++pos) {
    const int digit = text[pos].unicode() - '0';
    value = value > (LLONG_MAX - digit) / 10 ? LLONG_MAX : value * 10 + digit;
  }
  return value;
}

}  // namespace

int LeadingInteger(const QString& text) {
  qsizetype pos = 0;
  while (pos < text.size() && text[pos].isSpace()) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == QChar('-') || text[pos] == QChar('+'))) {
    negative = text[pos] == QChar('-');
    ++pos;
  }
  const long long magnitude = SaturatingDigits(text, pos);
  const long long value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

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
  const int value = LeadingInteger(text());
  setText(value == 0 ? QString() : QString::number(value));
  setCursorPosition(std::min<int>(caret, static_cast<int>(text().size())));
  QLineEdit::focusOutEvent(event);
}

}  // namespace dravel
