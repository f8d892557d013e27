#include "mainwindow/hint_box.h"

#include <QTextBlock>

#include "mainwindow/qt_text.h"

namespace dravel {

HintBox::HintBox(QWidget* parent) : EditBox(parent) {}

void HintBox::SetContent(const Text& gbk) {
  hint_.Replace({});
  tail_first_block_ = -1;
  marker_shown_ = false;
  EditBox::SetContent({});
  AppendText(gbk);
}

void HintBox::AppendText(const Text& gbk) {
  const BoundedHint::Change change = hint_.Append(gbk);
  if (change.to_head > 0) EditBox::AppendText(gbk.substr(0, change.to_head));
  if (tail_first_block_ < 0 && hint_.HeadFull()) tail_first_block_ = document()->blockCount() - 1;
  if (change.to_head < gbk.size()) EditBox::AppendText(gbk.substr(change.to_head));
  if (change.dropped_lines > 0) DropTailLines(change.dropped_lines);
}

void HintBox::DropTailLines(uint64_t lines) {
  const int first = tail_first_block_ + (marker_shown_ ? 1 : 0);
  QTextCursor cursor(document()->findBlockByNumber(first));
  cursor.setPosition(document()->findBlockByNumber(first + int(lines)).position(),
                     QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  ShowMarker();
}

void HintBox::ShowMarker() {
  Text marker = BoundedHint::MarkerLine(hint_.LeftOutLines());
  marker.resize(marker.size() - 2);  // the block's own break stays
  QTextCursor cursor(document()->findBlockByNumber(tail_first_block_));
  if (!marker_shown_) {
    cursor.insertBlock();
    cursor.movePosition(QTextCursor::PreviousBlock);
    marker_shown_ = true;
  } else {
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  }
  cursor.insertText(ToWidgetText(marker));
}

}  // namespace dravel
