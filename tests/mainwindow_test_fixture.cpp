#include "mainwindow_test_fixture.h"

#include <QFile>
#include <QSettings>
#include <QTest>

#include "mainwindow/edit_box.h"
#include "runtime/gbk_codec.h"

namespace dravel::testing {

bool ScriptedDialogs::ShowFileDialog(CommonDialog& dialog) {
  files_shown.push_back(dialog);
  if (file_answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog";
    return false;
  }
  const std::optional<QString> answer = file_answers.front();
  file_answers.pop_front();
  if (!answer) return false;
  dialog.SetFileName(*answer);
  return true;
}

BoxAnswer ScriptedDialogs::ShowMessageBox(const Text& content, int style, const Text& caption) {
  boxes_shown.push_back(content + "|" + caption);
  box_styles.push_back(style);
  if (box_answers.empty()) {
    ADD_FAILURE() << "unexpected message box";
    return BoxAnswer::kCancel;
  }
  const BoxAnswer answer = box_answers.front();
  box_answers.pop_front();
  return answer;
}

int ScriptedDialogs::ShowChoices(const QString&, const QString& text, const QStringList& choices) {
  choices_shown.push_back(choices);
  choice_texts.push_back(text);
  if (choice_answers.empty()) {
    ADD_FAILURE() << "unexpected box of choices: " << text.toStdString();
    return int(choices.size()) - 1;
  }
  const int answer = choice_answers.front();
  choice_answers.pop_front();
  return answer;
}

bool ScriptedDialogs::OpenUrl(const QUrl& url) {
  urls_opened.push_back(url);
  if (url_answers.empty()) {
    ADD_FAILURE() << "unexpected address: " << url.toString().toStdString();
    return false;
  }
  const bool answer = url_answers.front();
  url_answers.pop_front();
  return answer;
}

void WindowTest::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  // Recovery copies go to the test's own folder, never the user's cache.
  qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path()));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
  window_ = std::make_unique<MainWindow>(dialogs_);
  window_->show();
  QApplication::setActiveWindow(window_.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
}

void WindowTest::TearDown() {
  window_.reset();
  EXPECT_TRUE(dialogs_.file_answers.empty()) << "file dialog answers left over";
  EXPECT_TRUE(dialogs_.box_answers.empty()) << "message box answers left over";
  EXPECT_TRUE(dialogs_.choice_answers.empty()) << "answers to choices left over";
  EXPECT_TRUE(dialogs_.url_answers.empty()) << "answers to addresses left over";
}

QPushButton& WindowTest::Button(const char* utf8_name) {
  auto* button = window_->findChild<QPushButton*>(QString::fromUtf8(utf8_name));
  EXPECT_NE(button, nullptr) << utf8_name;
  return *button;
}

void WindowTest::Drain() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

Text WindowTest::Hint() {
  Drain();
  return window_->HintBox().Content();
}

QString WindowTest::PathOf(const char* file_name) const {
  return dir_.filePath(QString::fromUtf8(file_name));
}

Text WindowTest::ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll().toStdString();
}

void WindowTest::WriteFile(const QString& path, const Text& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace dravel::testing
