// Shared pieces of the main window's tests: a QApplication for the test
// binary, a dialog service that answers from a script instead of blocking, and
// a fixture that builds the real window over it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mainwindow/dialog_service.h"
#include "mainwindow/main_window.h"
#include "runtime/text.h"
#include "support/gbk_literals.h"

namespace dravel::testing {

class ScriptedDialogs final : public DialogService {
 public:
  // Each file dialog takes the next answer: a path confirms, nullopt cancels.
  std::deque<std::optional<QString>> file_answers;
  // Each message box takes the next result code.
  std::deque<BoxAnswer> box_answers;
  std::vector<CommonDialog> files_shown;  // settings as each dialog opened
  std::vector<Text> boxes_shown;          // content + "|" + caption
  std::vector<int> box_styles;
  // Each box of choices takes the next index; each address handed to the
  // desktop the next answer.
  std::deque<int> choice_answers;
  std::vector<QStringList> choices_shown;
  std::vector<QString> choice_texts;
  std::deque<bool> url_answers;
  std::vector<QUrl> urls_opened;

  bool ShowFileDialog(CommonDialog& dialog) override;
  BoxAnswer ShowMessageBox(const Text& content, int style, const Text& caption) override;
  int ShowChoices(const QString& caption, const QString& text, const QStringList& choices) override;
  bool OpenUrl(const QUrl& url) override;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  MainWindow& Window() { return *window_; }
  QPushButton& Button(const char* utf8_name);
  // Delivers the effects already queued for the window.
  static void Drain();
  Text Hint();
  QString PathOf(const char* file_name) const;
  static Text ReadFile(const QString& path);
  static void WriteFile(const QString& path, const Text& bytes);

  ScriptedDialogs dialogs_;
  QTemporaryDir dir_;
  QTemporaryDir cache_;   // XDG_CACHE_HOME: where recovery copies go
  QTemporaryDir config_;  // where remembered settings go
  std::unique_ptr<MainWindow> window_;
};

}  // namespace dravel::testing
