// EditBox: a multi-line edit box whose content is the program's GBK text with
// CR LF breaks. The Qt widget underneath is only a view of it: reads and
// writes convert at the boundary (qt_text.h). Owns the content-changed event,
// the append-at-end rule and select-all by selection length. Alt keys
// (alt_keys.h) never type into it. Window thread only.
#pragma once

#include <QPlainTextEdit>

#include "runtime/text.h"

namespace dravel {

class EditBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit EditBox(QWidget* parent = nullptr);

  // The whole text. `unsavable_line`, when given, receives the 1-based number
  // of the first line holding a character GBK cannot hold, or 0.
  Text Content(int* unsavable_line = nullptr) const;
  // Replaces the whole text (any line-break convention) and raises
  // ContentChanged exactly once, also when the text is the same as before.
  virtual void SetContent(const Text& gbk);
  // As SetContent, from the widget's own text (one '\n' per break); for text
  // that did not come as GBK.
  void SetWidgetText(const QString& text);
  // Puts the caret at the end, scrolls there and inserts `gbk`, whatever was
  // selected or scrolled to before. Raises ContentChanged.
  virtual void AppendText(const Text& gbk);
  // −1 selects the whole text; other negatives count as 0; n ≥ 0 selects n
  // bytes from the selection start. The caret is scrolled into view.
  void SetSelLength(int length);

 signals:
  // Every change of the text: a Content write (once), an append, a user edit.
  void ContentChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Before SetContent puts `text` in: a subclass sets up what depends on it.
  virtual void PrepareFor(const QString& /*text*/) {}

 private:
  // Qt lays out a word longer than a line in time that grows with its square
  // (a 10 MB line takes hours); content holding one is wrapped anywhere.
  void WrapAnywhere(bool anywhere);

  bool holding_back_ = false;
  bool wrapping_anywhere_ = false;
  QTextOption::WrapMode usual_wrap_ = QTextOption::WrapAtWordBoundaryOrAnywhere;
};

}  // namespace dravel
