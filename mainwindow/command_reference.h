// CommandReference: the command reference, made from the command rows: every
// command with its English alias, its syntax, what it does, an example line
// and the picture that line draws; then the keys of the window. Opened with
// F1 from anywhere, and from the link on the page "帮助". Window thread only.
#pragma once

#include <QDialog>
#include <QImage>
#include <vector>

class QTextBrowser;

namespace dravel {

class CommandReference final : public QDialog {
  Q_OBJECT

 public:
  explicit CommandReference(QWidget* parent);

  QTextBrowser& Browser() const { return *browser_; }

  // The reference as HTML; the pictures are the browser's "example:N"
  // resources.
  static QString Html();
  // The picture of each row's example, in row order; null for rows that draw
  // nothing.
  static std::vector<QImage> Pictures();

 private:
  void AddPictures();

  QTextBrowser* browser_;
};

}  // namespace dravel
