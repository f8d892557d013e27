#include "mainwindow/hint_box.h"

#include <QTextBlock>

#include "mainwindow/qt_text.h"
#include "mainwindow/window_texts.h"

namespace dravel {
namespace {

constexpr size_t kTrimStep = size_t{64} << 10;

// Where the first line of `text` ends, as the widgets break lines (CR LF, a
// lone CR or a lone LF), and the break's length; npos when it does not end.
std::pair<size_t, size_t> FirstBreak(std::string_view text) {
  const size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return {at, 0};
  const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
  return {at, crlf ? 2 : 1};
}

}  // namespace

HintBox::HintBox(QWidget* parent) : EditBox(parent) {}

Text HintBox::MarkerLine(uint64_t lines) {
  return texts::kLeftOutPrefix + std::to_string(lines) + texts::kLeftOutSuffix;
}

void HintBox::SetContent(const Text& gbk) {
  head_bytes_ = 0;
  head_full_ = false;
  marker_shown_ = false;
  left_out_lines_ = 0;
  tail_lines_.clear();
  tail_bytes_ = 0;
  EditBox::SetContent({});
  AppendText(gbk);
}

void HintBox::AppendText(const Text& gbk) {
  if (!head_full_ && head_bytes_ + gbk.size() <= kHeadBytes) {
    head_bytes_ += gbk.size();
    EditBox::AppendText(gbk);
    return;
  }
  if (!head_full_) {
    head_full_ = true;
    // An unfinished last line of the head stays the head's.
    const QTextBlock last = document()->lastBlock();
    if (!last.text().isEmpty()) {
      const auto [at, length] = FirstBreak(gbk);
      const size_t rest = at == std::string_view::npos ? gbk.size() : at + length;
      EditBox::AppendText(gbk.substr(0, rest));
      tail_first_block_ = document()->blockCount() - 1;
      if (rest < gbk.size()) AppendToTail(gbk.substr(rest));
      return;
    }
    tail_first_block_ = document()->blockCount() - 1;
  }
  AppendToTail(gbk);
}

void HintBox::AppendToTail(const Text& gbk) {
  EditBox::AppendText(gbk);
  CountTailLines(gbk);
  // Trimming in small steps keeps each append short for the window.
  if (tail_bytes_ > kTailBytes + kTrimStep) TrimTail();
}

void HintBox::CountTailLines(const Text& gbk) {
  if (tail_lines_.empty()) tail_lines_.push_back(0);
  std::string_view rest(gbk);
  for (;;) {
    const auto [at, length] = FirstBreak(rest);
    if (at == std::string_view::npos) {
      tail_lines_.back() += rest.size();
      break;
    }
    tail_lines_.back() += at + length;
    tail_lines_.push_back(0);
    rest.remove_prefix(at + length);
  }
  tail_bytes_ += gbk.size();
}

// Drops whole lines from the tail's front down to its size; the line still
// being written stays.
void HintBox::TrimTail() {
  int dropped = 0;
  while (tail_bytes_ > kTailBytes && tail_lines_.size() > 1) {
    tail_bytes_ -= tail_lines_.front();
    tail_lines_.pop_front();
    ++dropped;
  }
  if (dropped == 0) return;
  left_out_lines_ += static_cast<uint64_t>(dropped);
  const int first = tail_first_block_ + (marker_shown_ ? 1 : 0);
  QTextCursor cursor(document()->findBlockByNumber(first));
  cursor.setPosition(document()->findBlockByNumber(first + dropped).position(),
                     QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  ShowMarker();
}

void HintBox::ShowMarker() {
  Text marker = MarkerLine(left_out_lines_);
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
