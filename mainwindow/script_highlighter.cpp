#include "mainwindow/script_highlighter.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "interpreter/command_table.h"
#include "interpreter/messages.h"
#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

// No script line a learner writes is longer; colouring a 10 MB line would
// cost the editor more than it shows.
constexpr int kLongestColouredLine = 4096;
constexpr QChar kBodyOpen(0x3010);   // 【
constexpr QChar kBodyClose(0x3011);  // 】

bool IsBracket(QChar c) { return c == kBodyOpen || c == kBodyClose || c == QChar('|'); }

bool IsNumber(QStringView word) {
  bool ok = false;
  static_cast<void>(word.toDouble(&ok));
  return ok;
}

QTextCharFormat Coloured(const QColor& colour) {
  QTextCharFormat format;
  format.setForeground(colour);
  return format;
}

}  // namespace

ScriptHighlighter::ScriptHighlighter(QPlainTextEdit& editor)
    : QObject(&editor),
      editor_(editor),
      comment_start_(FromGbk(Text(messages::kCommentStart))),
      keyword_(Coloured(QColor(255, 230, 100))),
      number_(Coloured(QColor(160, 255, 160))),
      comment_(Coloured(QColor(175, 200, 200))),
      bracket_(Coloured(QColor(255, 170, 80))) {
  for (const CommandRow& row : CommandTable()) {
    keywords_.insert(FromGbk(Text(row.keyword)));
    keywords_.insert(FromGbk(Text(row.alias)));
  }
  keywords_.insert(FromGbk(Text(messages::kCountKeyword)));
  keywords_.insert(FromGbk(Text(messages::kCountAlias)));
  connect(editor_.document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { ColourBlocks(position, added); });
  ColourBlocks(0, editor_.document()->characterCount());
}

void ScriptHighlighter::ColourBlocks(int position, int chars_added) {
  QTextDocument* document = editor_.document();
  QTextBlock block = document->findBlock(position);
  const QTextBlock last = document->findBlock(position + chars_added);
  while (block.isValid()) {
    block.layout()->setFormats(Colours(block.text()));
    if (block == last) break;
    block = block.next();
  }
  editor_.viewport()->update();
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
