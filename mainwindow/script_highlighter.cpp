#include "mainwindow/script_highlighter.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "interpreter/command_table.h"
#include "interpreter/messages.h"
#include "mainwindow/line_findings.h"
#include "mainwindow/qt_text.h"
#include "runtime/gbk_codec.h"
#include "runtime/value.h"

namespace dravel {
namespace {

// No script line a learner writes is longer; colouring a 10 MB line would
// cost the editor more than it shows.
constexpr int kLongestColouredLine = 4096;
// A change that adds more is a whole new text (an open, a paste): its lines
// are coloured as they come into view instead of all at once.
constexpr int kColourAtOnce = 16384;
constexpr int kColoured = 1;         // a block's user state once coloured
constexpr QChar kBodyOpen(0x3010);   // 【
constexpr QChar kBodyClose(0x3011);  // 】

bool IsBracket(QChar c) { return c == kBodyOpen || c == kBodyClose || c == QChar('|'); }

// As the run reads an argument (the page's editor asks the same function).
bool IsNumber(QStringView word) { return IsWholeNumber(Utf8ToGbk(word.toString().toStdString())); }

// Every colour here stays at least 4.5:1 against the editor's dark cyan:
// tints near white, told apart by weight and slant as much as by hue.
QTextCharFormat Coloured(const QColor& colour, bool bold = false, bool italic = false) {
  QTextCharFormat format;
  format.setForeground(colour);
  if (bold) format.setFontWeight(QFont::Bold);
  format.setFontItalic(italic);
  return format;
}

}  // namespace

ScriptHighlighter::ScriptHighlighter(QPlainTextEdit& editor)
    : QObject(&editor),
      editor_(editor),
      comment_start_(FromGbk(Text(messages::kCommentStart))),
      keyword_(Coloured(QColor(255, 255, 190), true)),
      number_(Coloured(QColor(235, 255, 235))),
      comment_(Coloured(QColor(230, 255, 255), false, true)),
      bracket_(Coloured(QColor(255, 255, 255), true)) {
  for (const CommandRow* row : AllCommands()) {
    keywords_.insert(FromGbk(row->keyword));
    keywords_.insert(FromGbk(row->alias));
  }
  connect(editor_.document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { ColourChange(position, added); });
  // Scrolls and new text show through update requests (a scroll by the
  // editor itself moves its scroll bar silently).
  connect(&editor_, &QPlainTextEdit::updateRequest, this, &ScriptHighlighter::ColourVisible,
          Qt::QueuedConnection);
  ColourVisible();
}

void ScriptHighlighter::SetColouring(bool on) {
  if (on == colouring_) return;
  colouring_ = on;
  for (QTextBlock block = editor_.document()->begin(); block.isValid(); block = block.next()) {
    block.setUserState(-1);
  }
  ColourVisible();
}

std::vector<QTextCharFormat> ScriptHighlighter::TextFormats() const {
  return {keyword_, number_, comment_, bracket_};
}

void ScriptHighlighter::ColourChange(int position, int chars_added) {
  QTextDocument* document = editor_.document();
  QTextBlock block = document->findBlock(position);
  QTextBlock last = document->findBlock(position + chars_added);
  if (chars_added > kColourAtOnce) {
    // New blocks start uncoloured; only the two the change cut into are old.
    block.setUserState(-1);
    if (last.isValid()) last.setUserState(-1);
    QMetaObject::invokeMethod(this, &ScriptHighlighter::ColourVisible, Qt::QueuedConnection);
    return;
  }
  while (block.isValid()) {
    Colour(block);
    if (block == last) break;
    block = block.next();
  }
  editor_.viewport()->update();
}

void ScriptHighlighter::ColourVisible() {
  const QTextBlock first = editor_.cursorForPosition(QPoint(0, 0)).block();
  const QTextBlock last =
      editor_.cursorForPosition(QPoint(0, editor_.viewport()->height())).block();
  ForgetHidden(first.blockNumber(), last.blockNumber());
  bool coloured = false;
  for (QTextBlock block = first; block.isValid(); block = block.next()) {
    if (block.userState() != kColoured) {
      Colour(block);
      editor_.document()->markContentsDirty(block.position(), block.length());
      coloured = true;
    }
    if (block == last) break;
  }
  if (coloured) editor_.viewport()->update();
}

// A line's layout keeps what painting it shaped until the line is laid out
// again: for a line of 4,000 characters in 4,000 colours some 300 KB, so
// paging through a file of such lines once took hundreds of MB. Lines that
// left the view let theirs go (setting the text of a block's layout, which
// reads its text from the block, only drops the layout); Qt lays a line out
// again when it shows or is measured. Their colours and findings stay.
void ScriptHighlighter::ForgetHidden(int first, int last) {
  QTextDocument* document = editor_.document();
  for (int number = shown_first_; number <= shown_last_; ++number) {
    if (number >= first && number <= last) continue;
    const QTextBlock block = document->findBlockByNumber(number);
    if (block.isValid()) block.layout()->setText({});
  }
  shown_first_ = first;
  shown_last_ = last;
}

// Colours the line and keeps what the checker finds in it, which the editor
// marks.
void ScriptHighlighter::Colour(QTextBlock& block) const {
  const QString text = block.text();
  block.layout()->setFormats(colouring_ ? Colours(text) : QList<QTextLayout::FormatRange>());
  std::vector<Finding> findings;
  if (text.size() <= kLongestColouredLine) {
    std::vector<LostCharacter> lost;
    const Text line = FromWidgetLine(text, lost);
    findings = CheckLine(line, true, lost);
  }
  KeepFindings(block, std::move(findings));
  block.setUserState(kColoured);
}

QList<QTextLayout::FormatRange> ScriptHighlighter::Colours(const QString& line) const {
  QList<QTextLayout::FormatRange> ranges;
  const int size = static_cast<int>(line.size());
  if (size > kLongestColouredLine) return ranges;
  if (line.startsWith(comment_start_)) {
    ranges.append({0, size, comment_});
    return ranges;
  }
  int begin = 0;
  for (int i = 0; i <= size; ++i) {
    const bool at_end = i == size;
    if (!at_end && line[i] != QChar(' ') && !IsBracket(line[i])) continue;
    AddWord(ranges, line, begin, i);
    if (!at_end && IsBracket(line[i])) ranges.append({i, 1, bracket_});
    begin = i + 1;
  }
  return ranges;
}

void ScriptHighlighter::AddWord(QList<QTextLayout::FormatRange>& ranges, const QString& line,
                                int begin, int end) const {
  if (end <= begin) return;
  const QStringView word = QStringView(line).mid(begin, end - begin);
  if (keywords_.contains(word.toString())) {
    ranges.append({begin, end - begin, keyword_});
  } else if (IsNumber(word)) {
    ranges.append({begin, end - begin, number_});
  }
}

}  // namespace dravel
