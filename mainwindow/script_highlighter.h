// ScriptHighlighter: colours a script as the interpreter reads it: keywords
// and aliases of the command table (and the run count line's), numbers,
// comment lines (" //"), the repeat brackets and the "|" between body items;
// and runs the checker on each line it colours, keeping its findings in the
// line's block (line_findings.h) for the editor to mark.
// Colours live in each line's layout only: the text, its undo history and
// the editor's content-changed event are never touched, so colouring never
// counts as an edit. An edit's lines are coloured at once; a whole new text
// (an open) is coloured as its lines come into view, so a huge script costs
// no work per line; lines that leave the view drop their laid-out glyphs.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QTextCharFormat>
#include <QTextLayout>
#include <vector>

class QPlainTextEdit;
class QTextBlock;

namespace dravel {

class ScriptHighlighter final : public QObject {
  Q_OBJECT

 public:
  explicit ScriptHighlighter(QPlainTextEdit& editor);

  // The colour ranges of one line's text.
  QList<QTextLayout::FormatRange> Colours(const QString& line) const;
  // Off: plain white text (the checker's marks stay).
  void SetColouring(bool on);
  // Every format the colouring gives text.
  std::vector<QTextCharFormat> TextFormats() const;

 private:
  void ColourChange(int position, int chars_added);
  void ColourVisible();
  // Drops the layouts of the lines shown last time that are not among
  // blocks first..last now.
  void ForgetHidden(int first, int last);
  void Colour(QTextBlock& block) const;
  void AddWord(QList<QTextLayout::FormatRange>& ranges, const QString& line, int begin,
               int end) const;

  QPlainTextEdit& editor_;
  QSet<QString> keywords_;
  QString comment_start_;
  QTextCharFormat keyword_;
  QTextCharFormat number_;
  QTextCharFormat comment_;
  QTextCharFormat bracket_;
  bool colouring_ = true;
  int shown_first_ = 0;  // the blocks in view at the last look
  int shown_last_ = -1;
};

}  // namespace dravel
