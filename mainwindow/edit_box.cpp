#include "mainwindow/edit_box.h"

#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

// GBK bytes a widget character stands for: a break is CR LF, a character
// below 0x80 one byte, any other two.
int GbkWidth(QChar c) {
  if (c == QChar('\n')) return 2;
  return c.unicode() < 0x80 ? 1 : 2;
}

// The character position that lies `bytes` GBK bytes after `from`.
int AdvanceBytes(const QString& text, int from, int bytes) {
  int pos = from;
  while (pos < text.size() && bytes > 0) {
    bytes -= GbkWidth(text[pos]);
    ++pos;
  }
  return pos;
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

void EditBox::SetContent(const Text& gbk) {
  holding_back_ = true;
  setPlainText(ToWidgetText(gbk));
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

}  // namespace dravel
