// The checker's findings in the real window: a marked line is tinted and
// thickly underlined (seen from the back row), the gutter's marker tells what
// was found, and Ctrl+. fixes a line (into two where it holds two commands)
// or says there is no fix.
#include <QHelpEvent>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>

#include "mainwindow/line_findings.h"
#include "mainwindow/script_editor.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

// A trap typed into the editor is marked (kept in its line, with a tip) and
// Ctrl+. rewrites the line as one undo step; a fixed line is clean again.
TEST_F(WindowTest, TheCheckerMarksATrapAndCtrlPeriodFixesIt) {
  ScriptEditor& editor = Window().ScriptEditor();
  editor.SetContent(Gbk("前进 100\r\n重复 4 【前进 100｜右转 90】"));
  Drain();
  const QTextBlock trap = editor.document()->findBlockByNumber(1);
  EXPECT_TRUE(FindingsOf(editor.document()->firstBlock()).empty());
  ASSERT_EQ(FindingsOf(trap).size(), 1u);
  const Finding& finding = FindingsOf(trap).front();
  EXPECT_EQ(FindingCharacters(trap, finding), (std::pair{12, 13}));
  EXPECT_TRUE(FindingMessage(finding).contains(QStringLiteral("半角")));
  editor.setFocus();
  editor.setTextCursor(QTextCursor(trap));
  QTest::keyClick(&editor, Qt::Key_Period, Qt::ControlModifier);
  EXPECT_EQ(Window().Editor().Content(), Gbk("前进 100\r\n重复 4 【前进 100|右转 90】"));
  EXPECT_TRUE(FindingsOf(editor.document()->findBlockByNumber(1)).empty());
  editor.undo();
  EXPECT_EQ(Window().Editor().Content(), Gbk("前进 100\r\n重复 4 【前进 100｜右转 90】"));
}

// A line ending in a byte that is not GBK: Ctrl+. keeps that byte as its own
// and closes the line ("】" right after it would read as another character).
TEST_F(WindowTest, CtrlPeriodKeepsAStrayByteAtTheLinesEnd) {
  ScriptEditor& editor = Window().ScriptEditor();
  const Text line = Gbk("重复 4 【前进 100|右转 1") + "\x81";
  editor.SetContent(line);
  Drain();
  editor.setFocus();
  editor.setTextCursor(QTextCursor(editor.document()->firstBlock()));
  QTest::keyClick(&editor, Qt::Key_Period, Qt::ControlModifier);
  EXPECT_EQ(Window().Editor().Content(), line + " " + Gbk("】"));
  EXPECT_TRUE(FindingsOf(editor.document()->firstBlock()).empty());
}

// A character GBK cannot hold is marked over its whole self (a pair of
// surrogates here); a fix elsewhere on its line leaves it as typed, and no
// fix rewrites it.
TEST_F(WindowTest, MarksWhatGbkCannotHoldAndAFixLeavesIt) {
  ScriptEditor& editor = Window().ScriptEditor();
  editor.setPlainText(QStringLiteral("写文字 😀\n前近 100 //😀\n前进　100 //😀"));
  Drain();
  const QTextBlock text = editor.document()->firstBlock();
  ASSERT_EQ(FindingsOf(text).size(), 1u);
  EXPECT_EQ(FindingsOf(text).front().kind, FindingKind::kNotInGbk);
  EXPECT_EQ(FindingCharacters(text, FindingsOf(text).front()), (std::pair{4, 6}));
  EXPECT_TRUE(FindingMessage(FindingsOf(text).front()).contains(QStringLiteral("😀")));
  editor.setFocus();
  editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(1)));
  QTest::keyClick(&editor, Qt::Key_Period, Qt::ControlModifier);
  editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(2)));
  QTest::keyClick(&editor, Qt::Key_Period, Qt::ControlModifier);
  EXPECT_EQ(editor.toPlainText(), QStringLiteral("写文字 😀\n前进 100 //😀\n前进　100 //😀"));
}

// The marked line's band reaches across the editor and its wavy line is at
// least two pixels thick under all it marks (spaces here: the text paints
// over the line); a clean line has neither.
TEST_F(WindowTest, AMarkedLineIsTintedAndThicklyUnderlined) {
  ScriptEditor& editor = Window().ScriptEditor();
  editor.SetContent(Gbk("前进 100\r\n        "));
  Drain();
  QTest::qWait(50);
  const QImage shown = editor.viewport()->grab().toImage();
  const QColor mark = ScriptEditor::FindingMarkColour();
  const auto marked_rows = [&](int line, int x) {
    const QRect rect = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(line)));
    int rows = 0;
    for (int y = rect.top(); y <= rect.bottom() + 4 && y < shown.height(); ++y)
      rows += shown.pixelColor(x, y) == mark ? 1 : 0;
    return rows;
  };
  const auto band = [&](int line) {
    const QRect rect = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(line)));
    return shown.pixelColor(shown.width() - 3, rect.center().y());
  };
  EXPECT_EQ(band(0), editor.palette().color(QPalette::Base));
  EXPECT_EQ(band(1), ScriptEditor::FindingLineColour());
  const QTextBlock slip = editor.document()->findBlockByNumber(1);
  QTextCursor end(slip);
  end.movePosition(QTextCursor::EndOfBlock);
  const int left = editor.cursorRect(QTextCursor(slip)).left();
  const int right = editor.cursorRect(end).left();
  ASSERT_GT(right - left, 20);
  for (int x = left + 1; x < right - 1; ++x) {
    SCOPED_TRACE(x);
    EXPECT_GE(marked_rows(1, x), 2);
    EXPECT_EQ(marked_rows(0, x), 0);
  }
}

QString TipAfter(QWidget& widget, QPoint at) {
  QHelpEvent help(QEvent::ToolTip, at, widget.mapToGlobal(at));
  QApplication::sendEvent(&widget, &help);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// Hovering the gutter's marker tells what hovering the text does: what was
// found, and a fix that makes two lines as both lines.
TEST_F(WindowTest, TheGutterMarkerTellsTheFindingsOfItsLine) {
  ScriptEditor& editor = Window().ScriptEditor();
  editor.SetContent(Gbk("前进 100\r\n前进 100 右转 90"));
  Drain();
  const auto gutter_row = [&](int line) {
    const QRect rect = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(line)));
    return QPoint(editor.contentsRect().left() + 2,
                  editor.contentsRect().top() + rect.center().y());
  };
  QWidget* gutter = editor.childAt(gutter_row(1));
  ASSERT_NE(gutter, nullptr);
  ASSERT_NE(gutter, editor.viewport());
  EXPECT_EQ(TipAfter(*gutter, gutter->mapFrom(&editor, gutter_row(0))), QString());
  const QString tip = TipAfter(*gutter, gutter->mapFrom(&editor, gutter_row(1)));
  EXPECT_TRUE(tip.contains(QStringLiteral("一行只能写一条命令"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("修正为两行：“前进 100”和“右转 90”")))
      << tip.toStdString();
}

struct CtrlPeriodCase {
  const char* line;
  const char* after;  // the script after Ctrl+.
  const char* tip;    // part of the tip at the caret; "" for none
};

// Two commands on a line become two lines as one undo step; a finding with
// no fix, or a line with none, is said at the caret and nothing changes.
TEST_F(WindowTest, CtrlPeriodSplitsTwoCommandsOrSaysWhyNot) {
  const CtrlPeriodCase kCases[] = {
      {"前进 100 右转 90", "前进 100\r\n右转 90", ""},
      {"跳舞 3", "跳舞 3", "这一处没有自动修正：无法识别的命令“跳舞”"},
      {"前进 100", "前进 100", "这一行没有发现问题"},
  };
  ScriptEditor& editor = Window().ScriptEditor();
  for (const CtrlPeriodCase& test : kCases) {
    SCOPED_TRACE(test.line);
    QToolTip::hideText();
    editor.SetContent(Gbk(test.line));
    Drain();
    editor.setFocus();
    editor.setTextCursor(QTextCursor(editor.document()->firstBlock()));
    QTest::keyClick(&editor, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(Window().Editor().Content(), Gbk(test.after));
    const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
    if (*test.tip != 0) {
      EXPECT_TRUE(tip.contains(QString::fromUtf8(test.tip))) << tip.toStdString();
      continue;
    }
    EXPECT_EQ(tip, QString());
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
      EXPECT_TRUE(FindingsOf(block).empty());
    editor.undo();
    EXPECT_EQ(Window().Editor().Content(), Gbk(test.line));
  }
}

}  // namespace
}  // namespace dravel::testing
