#include "mainwindow/example_chooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "interpreter/messages.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_pictures.h"

namespace dravel {
namespace {

constexpr QSize kThumbnail(183, 105);

// What the first line says it teaches: its comment text.
QString Teaches(const Text& script) {
  const Text first = script.substr(0, script.find("\r\n"));
  if (!first.starts_with(messages::kCommentStart)) return {};
  return FromGbk(first.substr(messages::kCommentStart.size()));
}

}  // namespace

std::vector<Example> Examples() {
  std::vector<Example> examples;
  const QDir folder(QStringLiteral(":/examples"));
  for (const QString& file : folder.entryList({QStringLiteral("*.dvg")}, QDir::Files, QDir::Name)) {
    QFile bytes(folder.filePath(file));
    if (!bytes.open(QIODevice::ReadOnly)) continue;
    const Text script = bytes.readAll().toStdString();
    examples.push_back({file.chopped(4), script, Teaches(script)});
  }
  return examples;
}

ExampleChooser::ExampleChooser(QWidget* parent)
    : QDialog(parent), examples_(Examples()), list_(new QListWidget(this)) {
  setWindowTitle(tr("打开示例"));
  resize(660, 520);
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(kThumbnail);
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setSpacing(6);
  for (const Example& example : examples_) {
    auto* item = new QListWidgetItem(
        QIcon(QPixmap::fromImage(ScriptPicture(example.script, kThumbnail))), example.name, list_);
    item->setToolTip(example.teaches);
  }
  list_->setCurrentRow(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

std::optional<Example> ExampleChooser::Chosen() const {
  const int row = list_->currentRow();
  if (result() != QDialog::Accepted || row < 0) return std::nullopt;
  return examples_[static_cast<size_t>(row)];
}

}  // namespace dravel
