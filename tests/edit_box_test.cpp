// The controls the window is built from, on their own: the edit box's GBK
// content and events, the integer-input box, the filter text, and the real
// dialog service's answers.
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <climits>

#include "mainwindow/common_dialog.h"
#include "mainwindow/dialog_service.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/translations.h"
#include "mainwindow_test_fixture.h"
#include "runtime/value.h"

namespace dravel::testing {
namespace {

TEST(WidgetText, LineBreaksBecomeCrLfAndOthersStay) {
  const struct {
    Text in;
    Text out;
  } kCases[] = {
      {"a\r\nb", "a\r\nb"},       {"a\nb\n", "a\r\nb\r\n"}, {"a\rb", "a\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"}, {"\n\r", "\r\n\r\n"},     {Gbk("前进\r\n"), Gbk("前进\r\n")},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(FromWidgetText(ToWidgetText(c.in)), c.out);
  }
}

TEST(WidgetText, NamesTheFirstLineGbkCannotHold) {
  int bad_line = -1;
  FromWidgetText(QString::fromUtf8("ok\n\xe5\x89\x8d\nx \xF0\x9F\x98\x80\n\xF0\x9F\x98\x80"),
                 &bad_line);
  EXPECT_EQ(bad_line, 3);
  FromWidgetText(QString::fromUtf8("ok\n\xe5\x89\x8d"), &bad_line);
  EXPECT_EQ(bad_line, 0);
}

TEST(EditBox, AppendGoesToTheEndWhateverIsSelected) {
  EditBox box;
  box.SetContent("xyz");
  QTextCursor cursor = box.textCursor();
  cursor.setPosition(0);
  cursor.setPosition(2, QTextCursor::KeepAnchor);
  box.setTextCursor(cursor);
  QSignalSpy changes(&box, &EditBox::ContentChanged);
  box.AppendText("a");
  box.AppendText("b\r\n");
  EXPECT_EQ(box.Content(), "xyzab\r\n");
  EXPECT_EQ(box.textCursor().position(), box.document()->characterCount() - 1);
  EXPECT_FALSE(box.textCursor().hasSelection());
  EXPECT_EQ(changes.count(), 2);
}

// Two thousand million passes must not take the window's memory: the first
// and the latest messages stay, the lines between are counted in one line.
TEST(HintBox, KeepsItsHeadAndTailAroundACountedMarker) {
  HintBox box;
  box.SetContent("H\r\n");
  const auto line = [](int i) {
    return "pass " + std::to_string(i) + std::string(1000, '.') + "\r\n";
  };
  Text all = "H\r\n";
  const int lines = 10000;  // about 10 MB
  for (int i = 0; i < lines; ++i) {
    box.AppendText(line(i));
    all += line(i);
  }
  const Text shown = box.Content();
  EXPECT_LE(shown.size(), BoundedHint::kHeadBytes + 2 * BoundedHint::kTailBytes + 100);
  EXPECT_GE(shown.size(), BoundedHint::kHeadBytes + BoundedHint::kTailBytes - 100);
  EXPECT_TRUE(shown.starts_with("H\r\npass 0."));
  EXPECT_TRUE(shown.ends_with(line(lines - 1)));
  const Text marker = BoundedHint::MarkerLine(box.LeftOutLines());
  const size_t at = shown.find(marker);
  ASSERT_NE(at, Text::npos);
  // Head and tail are whole lines of the real text, with nothing else between.
  const Text head = shown.substr(0, at);
  const Text tail = shown.substr(at + marker.size());
  EXPECT_TRUE(all.starts_with(head));
  EXPECT_TRUE(all.ends_with(tail));
  const Text left_out = all.substr(head.size(), all.size() - head.size() - tail.size());
  EXPECT_EQ(std::count(left_out.begin(), left_out.end(), '\n'), box.LeftOutLines());
  box.SetContent("H\r\n");
  EXPECT_EQ(box.Content(), "H\r\n");
  EXPECT_EQ(box.LeftOutLines(), 0u);
}

TEST(HintBox, AHeadEndingMidLineKeepsThatLineWhole) {
  HintBox box;
  box.SetContent(Text(BoundedHint::kHeadBytes - 3, 'h'));  // a message without a break
  box.AppendText("tail\r\nnext\r\n");
  EXPECT_EQ(box.Content(), Text(BoundedHint::kHeadBytes - 3, 'h') + "tail\r\nnext\r\n");
}

TEST(EditBox, ContentWriteRaisesOneChangeEvenWhenTheSame) {
  EditBox box;
  QSignalSpy changes(&box, &EditBox::ContentChanged);
  box.SetContent(Gbk("前进 1\r\n左转 2"));
  box.SetContent(Gbk("前进 1\r\n左转 2"));
  box.SetContent("");
  EXPECT_EQ(changes.count(), 3);
}

TEST(EditBox, UserEditsRaiseChanges) {
  EditBox box;
  QSignalSpy changes(&box, &EditBox::ContentChanged);
  QTest::keyClicks(&box, "ab");
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(changes.count(), 3);
  box.undo();
  EXPECT_EQ(changes.count(), 4);
}

TEST(EditBox, SelLengthCountsGbkBytes) {
  EditBox box;
  box.SetSelLength(-1);  // empty box: nothing to select, no failure
  EXPECT_FALSE(box.textCursor().hasSelection());
  box.SetContent(Gbk("前进\r\nab"));
  box.SetSelLength(-1);
  EXPECT_EQ(box.textCursor().selectedText().size(), 5);
  box.moveCursor(QTextCursor::Start);
  box.SetSelLength(4);
  EXPECT_EQ(box.textCursor().selectedText(), QStringLiteral("前进"));
  box.SetSelLength(-7);
  EXPECT_FALSE(box.textCursor().hasSelection());
}

TEST(LeadingInteger, ReadsTheIntegerTheTextBeginsWith) {
  const struct {
    const char* text;
    int value;
  } kCases[] = {
      {"12abc", 12},
      {"007", 7},
      {"0", 0},
      {"-", 0},
      {"", 0},
      {"  -5x", -5},
      {"+3", 3},
      {"abc", 0},
      {"2147483648", INT_MAX},
      {"-99999999999999999999999", INT_MIN},
      {"1 2", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LeadingInteger(c.text), c.value);
  }
}

TEST(IntegerBox, RefusesTypedLettersAndCleansOnFocusOut) {
  QWidget window;
  auto* box = new IntegerBox(&window);
  auto* other = new QLineEdit(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const struct {
    const char* typed;
    const char* shown;
    const char* after_focus_out;
  } kCases[] = {{"a1b2-", "12-", "12"}, {"007", "007", "7"}, {"0", "0", ""}, {"-", "-", ""}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    box->SetContent("");
    box->setFocus();
    QTest::keyClicks(box, c.typed);
    EXPECT_EQ(box->Content(), c.shown);
    other->setFocus();
    EXPECT_EQ(box->Content(), c.after_focus_out);
  }
  box->setFocus();
  box->SetContent("12abc");  // pasted text is not filtered until the focus leaves
  other->setFocus();
  EXPECT_EQ(box->Content(), "12");
}

TEST(FilterPairs, SplitsDescriptionsAndPatterns) {
  const auto pairs = FilterPairs(Gbk("Dravel源码（*.DVG）|*.dvg|All|*.*||  "));
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].first, QStringLiteral("Dravel源码（*.DVG）"));
  EXPECT_EQ(pairs[0].second, QStringLiteral("*.dvg"));
  EXPECT_EQ(pairs[1].second, QStringLiteral("*.*"));
  EXPECT_TRUE(FilterPairs("").empty());
  EXPECT_TRUE(FilterPairs("lonely").empty());
}

TEST(CommonDialog, ClampsItsKind) {
  CommonDialog dialog;
  dialog.SetKindNumber(9);
  EXPECT_EQ(dialog.Kind(), DialogKind::kHelp);
  dialog.SetKindNumber(-2);
  EXPECT_EQ(dialog.Kind(), DialogKind::kOpenFile);
}

// Answers the next modal widget once the dialog's own loop runs.
template <typename Action>
void WhenModal(Action action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    action(modal);
  });
}

TEST(QtDialogService, ClosingTheMessageBoxGivesCancel) {
  QtDialogService dialogs;
  WhenModal([](QWidget* box) {
    auto* message_box = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(message_box, nullptr);
    EXPECT_EQ(message_box->icon(), QMessageBox::Question);
    EXPECT_EQ(message_box->windowTitle(), QStringLiteral("信息："));
    box->close();
  });
  EXPECT_EQ(dialogs.ShowMessageBox(Gbk("源码已更改，请问是否保存？"), 35, Gbk("信息：")),
            BoxAnswer::kCancel);
  WhenModal(
      [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
  EXPECT_EQ(dialogs.ShowMessageBox("?", 35, Gbk("信息：")), BoxAnswer::kNo);
}

// Qt's own texts read Chinese in a Chinese program: the save prompt's
// buttons, the file dialog's labels and the editor's context menu.
class ChineseQtTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    translator_ = InstallQtTranslations(*qApp, &english);
    if (translator_ == nullptr) GTEST_SKIP() << "Qt's translations are not installed";
  }
  void TearDown() override {
    if (translator_ != nullptr) QCoreApplication::removeTranslator(translator_);
  }

  QTranslator* translator_ = nullptr;
};

QStringList LabelTexts(const QWidget* widget) {
  QStringList texts;
  for (const QLabel* label : widget->findChildren<QLabel*>()) texts << label->text();
  return texts;
}

TEST_F(ChineseQtTexts, StandardDialogsAndMenusReadChinese) {
  QtDialogService dialogs;
  QStringList buttons;
  WhenModal([&](QWidget* box) {
    auto* message_box = qobject_cast<QMessageBox*>(box);
    for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
      buttons << message_box->button(which)->text();
    box->close();
  });
  dialogs.ShowMessageBox(Gbk("源码已更改，请问是否保存？"), 35, Gbk("信息："));
  ASSERT_EQ(buttons.size(), 3);
  EXPECT_TRUE(buttons[0].contains(QStringLiteral("是"))) << buttons[0].toStdString();
  EXPECT_TRUE(buttons[1].contains(QStringLiteral("否"))) << buttons[1].toStdString();
  EXPECT_TRUE(buttons[2].contains(QStringLiteral("取消"))) << buttons[2].toStdString();

  CommonDialog dialog;
  QStringList labels;
  WhenModal([&](QWidget* box) {
    labels = LabelTexts(box);
    QMetaObject::invokeMethod(box, "reject");
  });
  dialogs.ShowFileDialog(dialog);
  EXPECT_TRUE(labels.join('|').contains(QStringLiteral("文件"))) << labels.join('|').toStdString();
  EXPECT_FALSE(labels.join('|').contains(QStringLiteral("Look in")))
      << labels.join('|').toStdString();

  EditBox editor;
  std::unique_ptr<QMenu> menu(editor.createStandardContextMenu());
  QStringList actions;
  for (const QAction* action : menu->actions()) actions << action->text();
  EXPECT_TRUE(actions.join(QChar(0x7c)).contains(QStringLiteral("撤消")))
      << actions.join(QChar(0x7c)).toStdString();
}

// The file dialog's column of types: what Qt's Chinese lacks is our own.
TEST_F(ChineseQtTexts, FolderTypeReadsChinese) {
  QTemporaryDir dir;
  EXPECT_EQ(QFileIconProvider().type(QFileInfo(dir.path())), QStringLiteral("文件夹"));
}

// Under a locale that is not Chinese, Qt's sizes and dates follow the
// messages' and the time's locale, which become Chinese; LC_ALL rules all.
TEST(ChineseLocaleWords, SetOnlyWhereTheLocaleIsNotChinese) {
  const struct {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    size_t set;
  } cases[] = {
      {nullptr, nullptr, "C", 2},       {nullptr, nullptr, nullptr, 2},
      {"", "", "en_US.UTF-8", 2},       {nullptr, nullptr, "zh_CN.UTF-8", 0},
      {nullptr, "zh_TW.UTF-8", "C", 0}, {nullptr, "C", "zh_CN.UTF-8", 2},
      {"C", nullptr, "zh_CN.UTF-8", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lang != nullptr ? c.lang : "-"));
    EXPECT_EQ(ChineseLocaleWords(c.lc_all, c.lc_messages, c.lang).size(), c.set);
  }
}

TEST(QtDialogService, SaveDialogAddsTheDefaultExtensionToANewName) {
  QTemporaryDir dir;
  QtDialogService dialogs;
  CommonDialog dialog;
  dialog.SetKind(DialogKind::kSaveFile);
  dialog.SetFilter(Gbk("Dravel源码（*.DVG）|*.dvg"));
  dialog.SetDefaultExt("dvg");
  dialog.SetFileMustExist(false);
  dialog.SetFileName(dir.filePath("abc"));
  WhenModal([](QWidget* box) { QMetaObject::invokeMethod(box, "accept"); });
  ASSERT_TRUE(dialogs.ShowFileDialog(dialog));
  EXPECT_EQ(dialog.FileName(), dir.filePath("abc.dvg"));
  WhenModal([](QWidget* box) { qobject_cast<QDialog*>(box)->reject(); });
  dialog.SetFileName(dir.filePath("kept"));
  EXPECT_FALSE(dialogs.ShowFileDialog(dialog));
  EXPECT_EQ(dialog.FileName(), dir.filePath("kept"));
}

}  // namespace
}  // namespace dravel::testing
