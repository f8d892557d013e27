// The canvas's export menu on a real TurtleCanvas: its three entries and
// shortcuts, saving PNG and SVG through an answering file hook, the hint line
// of a save that fails, a cancelled dialog, the clipboard and printing to PDF.
#include "canvas/canvas_context_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "canvas/qt_pixels.h"
#include "canvas/turtle_canvas.h"

namespace dravel {
namespace {

class CanvasContextMenuTest : public ::testing::Test {
 protected:
  CanvasContextMenuTest()
      : canvas_(TurtleCanvas::Create({}, nullptr, QRect(0, 0, 160, 120))),
        menu_(*canvas_->ContextMenu()),
        spy_(&menu_, &CanvasContextMenu::MessageRaised) {
    canvas_->Core().Turtle().Forward(40);
    canvas_->Core().Turtle().WriteText("\xc4\xe3");
  }

  // Answers the file dialog with `path` and saves.
  void SaveAs(const QString& path) {
    menu_.SetHooks({[path](QWidget*) { return path; }, {}});
    menu_.SavePicture();
  }

  QString LastMessage() const {
    return spy_.isEmpty() ? QString() : spy_.back().front().toString();
  }

  QTemporaryDir dir_;
  std::unique_ptr<TurtleCanvas> canvas_;
  CanvasContextMenu& menu_;
  QSignalSpy spy_;
};

TEST_F(CanvasContextMenuTest, OffersThreeEntriesWithShortcutsOnTheCanvas) {
  const QList<QAction*> actions = menu_.Menu()->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), QString::fromUtf8("保存图片…"));
  EXPECT_EQ(actions[1]->text(), QString::fromUtf8("复制图片"));
  EXPECT_EQ(actions[2]->text(), QString::fromUtf8("打印…"));
  for (QAction* action : actions) {
    SCOPED_TRACE(action->text().toStdString());
    EXPECT_FALSE(action->shortcut().isEmpty());
    EXPECT_TRUE(canvas_->actions().contains(action));
  }
  EXPECT_EQ(canvas_->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(CanvasContextMenuTest, ShortcutSavesFromTheKeyboard) {
  const QString path = dir_.filePath("key.png");
  menu_.SetHooks({[path](QWidget*) { return path; }, {}});
  canvas_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas_.get()));
  canvas_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(canvas_.get()));
  QTest::keyClick(canvas_.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(path));
}

TEST_F(CanvasContextMenuTest, SavesPngOrSvgByTheChosenName) {
  SaveAs(dir_.filePath("p.png"));
  EXPECT_EQ(QImage(dir_.filePath("p.png")).convertToFormat(QImage::Format_RGB32),
            ImageOf(canvas_->Core().Lock()->VisibleLayer()));
  const QString svg = dir_.filePath("p.SVG");
  SaveAs(svg);
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("<polyline"));
  ASSERT_EQ(spy_.size(), 2);
  EXPECT_EQ(LastMessage(), "图片已保存：" + svg + "\r\n");
}

TEST_F(CanvasContextMenuTest, FailedSaveSaysSoAndLeavesNoFile) {
  const QString path = dir_.filePath("missing/p.png");
  SaveAs(path);
  EXPECT_EQ(LastMessage(), "图片保存失败：" + path + "\r\n");
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CanvasContextMenuTest, TellsTheNameOfAChineseFile) {
  const QString path = dir_.filePath(QString::fromUtf8("图.png"));
  SaveAs(path);
  EXPECT_TRUE(LastMessage().endsWith("图.png\r\n"));
  EXPECT_TRUE(QFile::exists(path));
}

TEST_F(CanvasContextMenuTest, CancelledDialogsDoNothing) {
  menu_.SetHooks({[](QWidget*) { return QString(); }, [](QWidget*, QPrinter&) { return false; }});
  menu_.SavePicture();
  menu_.PrintPicture();
  EXPECT_TRUE(spy_.isEmpty());
  EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(CanvasContextMenuTest, CopiesTheVisibleLayer) {
  menu_.CopyPicture();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            ImageOf(canvas_->Core().Lock()->VisibleLayer()));
}

TEST_F(CanvasContextMenuTest, PrintsToThePrinterChosen) {
  const QString pdf = dir_.filePath("p.pdf");
  menu_.SetHooks({{}, [pdf](QWidget*, QPrinter& printer) {
                    printer.setOutputFormat(QPrinter::PdfFormat);
                    printer.setOutputFileName(pdf);
                    return true;
                  }});
  menu_.PrintPicture();
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");
  EXPECT_TRUE(spy_.isEmpty());
}

TEST_F(CanvasContextMenuTest, PrintThatCannotStartSaysSo) {
  menu_.SetHooks({{}, [this](QWidget*, QPrinter& printer) {
                    printer.setOutputFormat(QPrinter::PdfFormat);
                    printer.setOutputFileName(dir_.filePath("missing/p.pdf"));
                    return true;
                  }});
  menu_.PrintPicture();
  EXPECT_EQ(LastMessage(), "打印失败！\r\n");
}

}  // namespace
}  // namespace dravel
