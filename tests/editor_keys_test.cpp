// The window's editing keys, pressed in the real window wherever the focus
// is: the file keys, undo and redo, the find bar (find, next, previous,
// match case, replace, replace all as one undo step, Esc) and the zoom of
// the editor's text; and the reference's key page naming every one.
#include "mainwindow/find_bar.h"

#include <QInputMethodEvent>
#include <QShortcut>
#include <QTest>
#include <QWheelEvent>

#include "mainwindow/command_reference.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/source_files.h"
#include "mainwindow/tab_control.h"
#include "mainwindow_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::testing {
namespace {

class EditorKeysTest : public WindowTest {
 protected:
  ScriptEditor& Editor() { return Window().ScriptEditor(); }
  FindBar& Bar() { return Window().Finder(); }
  // Presses `key` in the widget that has the focus after `focus` takes it.
  void Press(QWidget& focus, QKeyCombination key) {
    focus.setFocus();
    QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
  }
  // Types as an input method commits Chinese text.
  void Type(QWidget& focus, const char* utf8) {
    focus.setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(QString::fromUtf8(utf8));
    QApplication::sendEvent(QApplication::focusWidget(), &typed);
  }
  QString Selected() { return Editor().textCursor().selectedText(); }
  int SelectedLine() { return Editor().textCursor().blockNumber() + 1; }
  void SetScript(const char* utf8) { Editor().SetContent(Utf8ToGbk(utf8)); }
  Text Script() { return Editor().Content(); }
};

TEST_F(EditorKeysTest, FileKeysDoWhatTheButtonsDoFromAnyControl) {
  SetScript("前进 10");
  const QString path = PathOf("keys.dvg");
  dialogs_.file_answers = {path};
  Press(Window().HintBox(), Qt::CTRL | Qt::Key_S);
  EXPECT_EQ(ReadFile(path), Utf8ToGbk("前进 10"));

  Press(Button("按钮_调试"), Qt::CTRL | Qt::Key_N);
  EXPECT_EQ(Script(), "");

  dialogs_.file_answers = {path};
  Press(Window().RunCountBox(), Qt::CTRL | Qt::Key_O);
  EXPECT_EQ(Script(), Utf8ToGbk("前进 10"));
  EXPECT_EQ(Window().Files().SourcePath(), path);
}

TEST_F(EditorKeysTest, CtrlYAndCtrlShiftZRedoFromTheEditorAndElsewhere) {
  SetScript("");
  Type(Editor(), "ab");
  Press(Editor(), Qt::CTRL | Qt::Key_Z);
  EXPECT_EQ(Script(), "");
  Press(Editor(), Qt::CTRL | Qt::Key_Y);
  EXPECT_EQ(Script(), "ab");
  Press(Button("按钮_调试"), Qt::CTRL | Qt::Key_Z);
  EXPECT_EQ(Script(), "");
  Press(Window().HintBox(), Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
  EXPECT_EQ(Script(), "ab");
  Press(Editor(), Qt::CTRL | Qt::Key_Z);
  Press(Editor(), Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
  EXPECT_EQ(Script(), "ab");
}

TEST_F(EditorKeysTest, CtrlFOpensTheBarUnderTheEditorAndEscClosesIt) {
  SetScript("前进 10\r\n右转 90\r\n前进 20\r\n前进 30");
  Window().Tabs().SetCurrentPage(1);
  Press(Window().HintBox(), Qt::CTRL | Qt::Key_F);
  EXPECT_EQ(Window().Tabs().CurrentPage(), MainWindow::kScriptPage);
  ASSERT_TRUE(Bar().isVisible());
  const QRect area = MainWindow::kEditorArea;
  EXPECT_EQ(Editor().geometry(), area.adjusted(0, 0, 0, -Bar().NeededHeight()));
  EXPECT_EQ(Bar().geometry().bottom(), area.bottom());
  EXPECT_FALSE(Bar().Replacing());

  Type(*QApplication::focusWidget(), "前进");
  EXPECT_EQ(Selected(), QString::fromUtf8("前进"));
  EXPECT_EQ(SelectedLine(), 1);
  EXPECT_FALSE(Editor().Match().isNull()) << "the match shows while the bar has the focus";
  Press(*QApplication::focusWidget(), Qt::Key_F3);
  EXPECT_EQ(SelectedLine(), 3);
  Press(Editor(), Qt::Key_F3);
  EXPECT_EQ(SelectedLine(), 4);
  Press(Editor(), Qt::Key_F3);
  EXPECT_EQ(SelectedLine(), 1) << "F3 goes round the end";
  EXPECT_EQ(Bar().Status(), QStringLiteral("已从开头找起"));
  Press(Editor(), Qt::SHIFT | Qt::Key_F3);
  EXPECT_EQ(SelectedLine(), 4);

  Press(Editor(), Qt::Key_Escape);
  EXPECT_FALSE(Bar().isVisible());
  EXPECT_EQ(Editor().geometry(), area);
  EXPECT_TRUE(Editor().Match().isNull());
  Window().Tabs().SetCurrentPage(1);
  Window().Tabs().SetCurrentPage(0);
  EXPECT_FALSE(Bar().isVisible()) << "a closed bar stays closed across pages";

  Press(Window().HintBox(), Qt::CTRL | Qt::Key_F);
  Press(*QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(Bar().isVisible());
  EXPECT_EQ(QApplication::focusWidget(), &Editor());
}

TEST_F(EditorKeysTest, FindSaysWhenNothingMatchesAndHonoursMatchCase) {
  SetScript("Go 1\r\ngo 2\r\nGO 3");
  FindBar& bar = Window().OpenFindBar(false);
  bar.SetWords(QStringLiteral("go"));
  int found = 0;
  Editor().setTextCursor(QTextCursor(Editor().document()));
  while (bar.FindNext() && bar.Status().isEmpty()) ++found;
  EXPECT_EQ(found, 3);
  bar.SetMatchCase(true);
  EXPECT_TRUE(bar.FindNext());
  EXPECT_EQ(SelectedLine(), 2);
  EXPECT_TRUE(bar.FindNext());
  EXPECT_EQ(SelectedLine(), 2);
  bar.SetWords(QStringLiteral("gO"));
  EXPECT_FALSE(bar.FindNext());
  EXPECT_EQ(bar.Status(), QStringLiteral("找不到"));
  bar.SetWords(QString());
  EXPECT_FALSE(bar.FindPrevious());
}

TEST_F(EditorKeysTest, CtrlHReplacesOneMatchOrAllAsOneUndoStep) {
  SetScript("前进 10\r\n右转 90\r\n前进 20");
  Editor().setTextCursor(QTextCursor(Editor().document()));
  Press(Window().HintBox(), Qt::CTRL | Qt::Key_H);
  ASSERT_TRUE(Bar().Replacing());
  EXPECT_EQ(Editor().height(), MainWindow::kEditorArea.height() - Bar().NeededHeight());
  Bar().SetWords(QStringLiteral("前进"));
  Bar().SetReplacement(QStringLiteral("前进 前进"));
  Bar().ReplaceCurrent();  // nothing selected yet: finds the first
  EXPECT_EQ(Script(), Utf8ToGbk("前进 10\r\n右转 90\r\n前进 20"));
  Bar().ReplaceCurrent();
  EXPECT_EQ(Script(), Utf8ToGbk("前进 前进 10\r\n右转 90\r\n前进 20"));
  EXPECT_EQ(SelectedLine(), 3);

  SetScript("前进 10\r\n右转 90\r\n前进 20");
  EXPECT_EQ(Bar().ReplaceAll(), 2) << "a replacement holding the words is not searched again";
  EXPECT_EQ(Script(), Utf8ToGbk("前进 前进 10\r\n右转 90\r\n前进 前进 20"));
  EXPECT_EQ(Bar().Status(), QStringLiteral("已替换 2 处"));
  EXPECT_TRUE(Window().Files().SourceChanged());
  Editor().undo();
  EXPECT_EQ(Script(), Utf8ToGbk("前进 10\r\n右转 90\r\n前进 20"));
  Bar().SetWords(QStringLiteral("后退"));
  EXPECT_EQ(Bar().ReplaceAll(), 0);
  EXPECT_EQ(Bar().Status(), QStringLiteral("找不到"));
}

TEST_F(EditorKeysTest, ZoomKeysAndCtrlWheelResizeTheEditorTextOnly) {
  const int unzoomed = Editor().font().pixelSize();
  const int hint_size = Window().HintBox().font().pixelSize();
  struct Step {
    QKeyCombination key;
    int size;
  };
  const Step steps[] = {
      {Qt::CTRL | Qt::Key_Equal, unzoomed + 2}, {Qt::CTRL | Qt::Key_Plus, unzoomed + 4},
      {Qt::CTRL | Qt::Key_Minus, unzoomed + 2}, {Qt::CTRL | Qt::Key_0, unzoomed},
      {Qt::CTRL | Qt::Key_Minus, unzoomed - 2},
  };
  for (const Step& step : steps) {
    Press(Window().HintBox(), step.key);
    EXPECT_EQ(Editor().font().pixelSize(), step.size)
        << QKeySequence(step.key).toString().toStdString();
  }
  EXPECT_EQ(Window().HintBox().font().pixelSize(), hint_size);
  for (int i = 0; i < 40; ++i) Press(Editor(), Qt::CTRL | Qt::Key_Minus);
  EXPECT_EQ(Editor().font().pixelSize(), 8) << "the text stays readable";

  Press(Editor(), Qt::CTRL | Qt::Key_0);
  const int gutter = Editor().GutterWidth();
  const QPointF at(50, 50);
  QWheelEvent wheel(at, Editor().viewport()->mapToGlobal(at), {}, {0, 240}, Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Editor().viewport(), &wheel);
  EXPECT_EQ(Editor().font().pixelSize(), unzoomed + 4);
  EXPECT_GT(Editor().GutterWidth(), gutter) << "the line numbers grow with the text";
}

TEST_F(EditorKeysTest, TheReferenceKeyPageNamesEveryWindowKey) {
  const QString html = CommandReference::Html();
  for (const QShortcut* shortcut : Window().findChildren<QShortcut*>()) {
    const QString key = shortcut->key().toString(QKeySequence::PortableText);
    EXPECT_TRUE(html.contains(QStringLiteral("<b>") + key) ||
                html.contains(QStringLiteral(" / ") + key) ||
                html.contains(QStringLiteral("或 ") + key))
        << key.toStdString();
  }
}

}  // namespace
}  // namespace dravel::testing
