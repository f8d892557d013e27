// FindBar: the small bar under the script editor that finds (Ctrl+F, F3,
// Shift+F3) and replaces (Ctrl+H) text in it. It owns the search: the
// words, match case, wrapping round the end, one undo step for a whole
// replace, and a short Chinese status. Where it sits and when the editor
// gives it room is the window's. Window thread only.
#pragma once

#include <QTextDocument>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dravel {

class ScriptEditor;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  explicit FindBar(ScriptEditor& editor, QWidget* parent = nullptr);

  // Shows the bar (the replace row too for OpenReplace) with the editor's
  // one-line selection as the words, focused and selected.
  void OpenFind();
  void OpenReplace();
  // Hides the bar, takes the match highlight away, gives the editor focus.
  void Close();
  bool IsOpen() const { return open_; }
  bool Replacing() const { return replacing_; }

  // Selects the next (previous) match after (before) the selection, going
  // round the end once; false, with the status saying so, when there is none
  // or the words are empty.
  bool FindNext();
  bool FindPrevious();
  // Replaces the selection when it is a match, then finds the next one.
  void ReplaceCurrent();
  // Replaces every match as one undo step; gives how many.
  int ReplaceAll();

  void SetWords(const QString& words);
  void SetReplacement(const QString& replacement);
  void SetMatchCase(bool match_case);
  QString Status() const;
  // The height the bar needs in its current mode.
  int NeededHeight() const;

 signals:
  // The bar opened, closed or changed mode: its room may have changed.
  void LayoutChanged();

 private:
  void Open(bool replacing);
  bool Find(QTextDocument::FindFlags direction);
  QTextDocument::FindFlags Flags() const;
  bool SelectionMatches() const;
  void Select(const QTextCursor& match);
  void Say(const QString& status, bool trouble = false);
  void BuildRows();

  ScriptEditor& editor_;
  QLineEdit* words_;
  QLineEdit* replacement_;
  QCheckBox* match_case_;
  QLabel* status_;
  QLabel* replace_label_;
  QWidget* replace_row_;
  bool open_ = false;
  bool replacing_ = false;
};

}  // namespace dravel
