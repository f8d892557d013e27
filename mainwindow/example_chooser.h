// ExampleChooser: the example scripts that come with the program, each as a
// picture of what it draws (made by the real canvas) under its name, with
// what it teaches as the tool tip. Choosing one gives its bytes to the
// window, which opens it as the open button would. Window thread only.
#pragma once

#include <QDialog>
#include <optional>

#include "runtime/text.h"

class QListWidget;

namespace dravel {

struct Example {
  QString name;     // the file's name, without ".dvg"
  Text script;      // GBK, CR LF
  QString teaches;  // the first comment line's text
};

// The examples in name order, from the program's resources.
std::vector<Example> Examples();

class ExampleChooser final : public QDialog {
  Q_OBJECT

 public:
  explicit ExampleChooser(QWidget* parent);

  QListWidget& List() const { return *list_; }
  // The example chosen when the dialog was accepted.
  std::optional<Example> Chosen() const;

 private:
  std::vector<Example> examples_;
  QListWidget* list_;
};

}  // namespace dravel
