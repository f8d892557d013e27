// ScriptEditor: the script editor. An EditBox with a gutter of line
// numbers inside its frame (the box keeps its place and outer size), marks
// for the line a run failed or stopped on and the line being run (with the
// body command inside a repeat or polygon line), the checker's findings (a
// tinted line with a thick wavy line under what was found, seen from the
// back of a classroom; a marker in the gutter; a tool tip over either; a
// quick fix from the context menu or Ctrl+., which says so when there is
// none), the find bar's current match, keyword tool tips and the text's zoom
// (Ctrl+wheel). Window thread only.
#pragma once

#include <functional>
#include <optional>

#include "interpreter/run_location.h"
#include "mainwindow/edit_box.h"

class QHelpEvent;
class QPainter;

namespace dravel {

struct Finding;

class ScriptEditor : public EditBox {
  Q_OBJECT

 public:
  enum class Mark { kFailing, kRunning };

  explicit ScriptEditor(QWidget* parent = nullptr);

  // Marks 1-based script `line` and, inside it, the GBK byte range `item`;
  // a failing mark also puts the caret at the item (or the line's start).
  // Lines outside the text are ignored.
  void MarkLine(int line, std::optional<ByteRange> item, Mark mark);
  void ClearMarks();
  // The marked line, 0 when none; for tests.
  int MarkedLine() const { return marked_line_; }
  QString MarkedItemText() const;

  // Applies the fix of the finding at the caret, or the line's first fix;
  // false, with a tip at the caret saying so, when the caret's line has none.
  bool ApplyFixAtCaret();
  // An action the context menu offers too, below the editing ones.
  void AddMenuAction(QAction* action) { menu_actions_.append(action); }

  // Highlights `match` (the find bar's) whether or not the editor has the
  // focus; a null cursor takes the highlight away.
  void ShowMatch(const QTextCursor& match);
  QTextCursor Match() const { return match_; }

  // Makes the text `steps` zoom steps larger (negative: smaller), within a
  // readable range; 0 goes back to the unzoomed size.
  void Zoom(int steps);
  int ZoomSteps() const { return zoom_; }

  int GutterWidth() const;
  int GutterWidthFor(int lines) const;
  void PaintGutter(QPaintEvent* event);
  // The gutter's tip at its row `y`: the findings of the line there.
  void ShowGutterTip(const QHelpEvent& help);

  // A line with findings: its background, and the colour of the wavy line
  // under what was found and of the gutter's marker.
  static QColor FindingLineColour();
  static QColor FindingMarkColour();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // The gutter takes its width for the new line count before the text comes:
  // a change of width afterwards would lay every line out again.
  void PrepareFor(const QString& text) override;
  bool viewportEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void UpdateGutterWidth();
  void UpdateGutter(const QRect& rect, int dy);
  void ShowSelections();

  // Calls `visit` with each shown block that reaches into rows top..bottom
  // of the viewport, and where it stands there.
  void ForShownBlocks(int top, int bottom,
                      const std::function<void(const QTextBlock&, const QRect&)>& visit) const;
  void PaintFindings(const QRect& area);
  void PaintWave(QPainter& painter, const QTextBlock& block, QPoint origin, int from, int to) const;

  QString ToolTipAt(const QTextCursor& cursor) const;
  QString FindingTip(const QTextBlock& block, const Finding& finding) const;
  QString FixOffer(const QTextBlock& block, const Finding& finding) const;
  void ShowTip(const QString& tip, const QPoint& global, QWidget* over);
  void SayNoFix(const QTextCursor& caret);

  QWidget* gutter_;
  QList<QAction*> menu_actions_;
  int marked_line_ = 0;
  QTextCursor marked_item_;
  QList<QTextEdit::ExtraSelection> mark_selections_;
  QTextCursor match_;
  QPalette unfocused_palette_;
  int zoom_ = 0;
  QFont unzoomed_font_;
  int wheel_rest_ = 0;
};

}  // namespace dravel
