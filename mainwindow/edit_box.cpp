#include "mainwindow/edit_box.h"

#include <QKeyEvent>

#include "mainwindow/alt_keys.h"
#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

// GBK bytes a widget character stands for; a break is CR LF.
int GbkWidth(QChar c) { return c == QChar('\n') ? 2 : GbkWidthOf(c); }

// The character position that lies `bytes` GBK bytes after `from`.
int AdvanceBytes(const QString& text, int from, int bytes) {
  int pos = from;
  while (pos < text.size() && bytes > 0) {
    bytes -= GbkWidth(text[pos]);
    ++pos;
  }
  if (pos < text.size() && text[pos].isLowSurrogate()) ++pos;  // never half a pair
  return pos;
}

constexpr int kLongWord = 1024;

bool HasLongWord(const QString& text) {
  int word = 0;
  for (QChar c : text) {
    word = c.isSpace() ? 0 : word + 1;
    if (word > kLongWord) return true;
  }
  return false;
}

}  // namespace

EditBox::EditBox(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!holding_back_) emit ContentChanged();
  });
}

Text EditBox::Content(int* unsavable_line) const {
  return FromWidgetText(toPlainText(), unsavable_line);
}

void EditBox::SetContent(const Text& gbk) { SetWidgetText(ToWidgetText(gbk)); }

void EditBox::SetWidgetText(const QString& text) {
  holding_back_ = true;
  // Whatever lays the text out again goes before it comes in: with a huge
  // text, each would cost work per line. The old text goes first, so it is
  // never laid out under the new settings either.
  if (!document()->isEmpty()) setPlainText(QString());
  WrapAnywhere(HasLongWord(text));
  PrepareFor(text);
  setPlainText(text);
  holding_back_ = false;
  emit ContentChanged();
}

void EditBox::AppendText(const Text& gbk) {
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  setTextCursor(cursor);
  ensureCursorVisible();
  cursor.insertText(ToWidgetText(gbk));
  setTextCursor(cursor);
  ensureCursorVisible();
}

void EditBox::SetSelLength(int length) {
  QTextCursor cursor = textCursor();
  if (length == -1) {
    cursor.select(QTextCursor::Document);
  } else {
    const int start = cursor.selectionStart();
    const int end = AdvanceBytes(toPlainText(), start, std::max(length, 0));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
  }
  setTextCursor(cursor);
  ensureCursorVisible();
}

void EditBox::keyPressEvent(QKeyEvent* event) {
  if (IsAltKey(*event)) {
    event->ignore();  // no button took it: not ours to type either
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void EditBox::WrapAnywhere(bool anywhere) {
  if (anywhere == wrapping_anywhere_) return;
  if (anywhere) usual_wrap_ = wordWrapMode();
  setWordWrapMode(anywhere ? QTextOption::WrapAnywhere : usual_wrap_);
  wrapping_anywhere_ = anywhere;
}

}  // namespace dravel
