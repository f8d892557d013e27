#include "mainwindow/dialog_service.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "mainwindow/native_path.h"
#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

QStringList NameFilters(const Text& filter) {
  QStringList filters;
  for (const auto& [description, pattern] : FilterPairs(filter)) {
    QString patterns = pattern;
    patterns.replace(QChar(';'), QChar(' '));
    filters << description + QStringLiteral(" (") + patterns + QChar(')');
  }
  return filters;
}

struct ButtonCode {
  QMessageBox::StandardButton button;
  BoxAnswer code;
};

constexpr ButtonCode kButtonCodes[] = {
    {QMessageBox::Ok, BoxAnswer::kOk},         {QMessageBox::Cancel, BoxAnswer::kCancel},
    {QMessageBox::Abort, BoxAnswer::kAbort},   {QMessageBox::Retry, BoxAnswer::kRetry},
    {QMessageBox::Ignore, BoxAnswer::kIgnore}, {QMessageBox::Yes, BoxAnswer::kYes},
    {QMessageBox::No, BoxAnswer::kNo},
};

QMessageBox::StandardButtons ButtonsOf(int style) {
  switch (style & 0xF) {
    case 1: return QMessageBox::Ok | QMessageBox::Cancel;
    case 2: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4: return QMessageBox::Yes | QMessageBox::No;
    case 5: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & 0xF0) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Qt's dialog opens a file only when it finds it by the name it shows, which
// a name in another encoding never is (native_path.h); such a file is taken
// when its own bytes name an existing file.
class FileDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QStringList files = selectedFiles();
    std::error_code error;
    if (fileMode() == ExistingFile && files.size() == 1 && !QFileInfo::exists(files[0]) &&
        std::filesystem::exists(NativePath(files[0]), error)) {
      QDialog::accept();
      return;
    }
    QFileDialog::accept();
  }
};

}  // namespace

bool QtDialogService::ShowFileDialog(CommonDialog& dialog) {
  const bool saving = dialog.Kind() == DialogKind::kSaveFile;
  if (!saving && dialog.Kind() != DialogKind::kOpenFile) return false;
  FileDialog box(QApplication::activeWindow());
  box.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  box.setFileMode(dialog.FileMustExist() ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  box.setNameFilters(NameFilters(dialog.Filter()));
  if (!dialog.DefaultExt().empty()) box.setDefaultSuffix(FromGbk(dialog.DefaultExt()));
  if (!dialog.FileName().isEmpty()) box.selectFile(dialog.FileName());
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  dialog.SetFileName(box.selectedFiles().constFirst());
  return true;
}

BoxAnswer QtDialogService::ShowMessageBox(const Text& content, int style, const Text& caption) {
  QMessageBox box(IconOf(style), FromGbk(caption), FromGbk(content), ButtonsOf(style));
  box.setWindowModality(Qt::ApplicationModal);
  const int pressed = box.exec();
  for (const ButtonCode& entry : kButtonCodes) {
    if (pressed == entry.button) return entry.code;
  }
  return BoxAnswer::kOk;
}

int QtDialogService::ShowChoices(const QString& caption, const QString& text,
                                 const QStringList& choices) {
  Q_ASSERT(!choices.isEmpty());
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  std::vector<QAbstractButton*> buttons;
  for (qsizetype i = 0; i < choices.size(); ++i) {
    const bool last = i + 1 == choices.size();
    buttons.push_back(
        box.addButton(choices[i], last ? QMessageBox::RejectRole : QMessageBox::ActionRole));
  }
  box.setEscapeButton(buttons.back());
  box.exec();
  const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return pressed == buttons.end() ? int(buttons.size()) - 1 : int(pressed - buttons.begin());
}

bool QtDialogService::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace dravel
