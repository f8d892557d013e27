// The window never locks itself out, keeps the keyboard on the script and
// says where a run stands: the display scales that fit a screen, the start
// at one that fits, Ctrl+0, the window placed on its screen; the focus after
// each action that used to take it; the status line under the canvas; a
// scale changed during a run.
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <functional>
#include <optional>
#include <thread>

#include "canvas/turtle_canvas.h"
#include "interpreter/run_pacer.h"
#include "mainwindow/display_scale.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/settings_page.h"
#include "mainwindow/source_files.h"
#include "mainwindow/status_line.h"
#include "mainwindow/window_carry.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

const QSize kClient(kClientWidth, kClientHeight);
const Text kStopped = Gbk("已停止调试程序！\r\n");
// Runs until it is stopped.
const Text kLongRun = Gbk("延时 600000");

TEST(DisplayScaleFit, OffersOnlyTheScalesAtWhichTheWholeWindowFits) {
  const struct {
    const char* screen;
    QSize available;
    QSize frame;
    double ratio;
    std::vector<int> fitting;
  } rows[] = {
      {"netbook 1024x768", {1024, 768}, kFrameAllowance, 1, {100}},
      {"laptop 1366x768", {1366, 768}, kFrameAllowance, 1, {100}},
      {"1920x1080 without panels", {1920, 1080}, kFrameAllowance, 1, {100, 125, 150}},
      {"1920x1080 with a 40 px taskbar", {1920, 1040}, kFrameAllowance, 1, {100, 125}},
      {"1920x1080 with a tall title bar", {1920, 1080}, {16, 80}, 1, {100, 125}},
      {"1280x1024", {1280, 1024}, kFrameAllowance, 1, {100, 125}},
      {"2560x1440", {2560, 1440}, kFrameAllowance, 1, {100, 125, 150, 200}},
      {"3840x2160 at the desktop's 200 %", {3840, 2160}, kFrameAllowance, 2, {100, 125, 150}},
      {"800x600, too small for any", {800, 600}, kFrameAllowance, 1, {100}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.screen);
    EXPECT_EQ(FittingDisplayScales(kClient, {row.available, row.frame, row.ratio}), row.fitting);
  }
}

// A remembered scale the screen has no room for (the projector's, on a
// netbook) gives way to the largest that fits.
TEST(DisplayScaleFit, StartsAtTheRememberedScaleOnlyWhenItFits) {
  const struct {
    int remembered;
    std::vector<int> fitting;
    int start;
  } rows[] = {{200, {100, 125, 150}, 150},
              {150, {100}, 100},
              {125, {100, 125, 150}, 125},
              {100, {100}, 100}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.remembered);
    EXPECT_EQ(StartingDisplayScale(row.remembered, row.fitting), row.start);
  }
  // The test's screen (offscreen, 800 x 600) has room for 100 % only.
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(ScaleThatFits(*screen, 100, kClient), 100);
}

TEST(DisplayScaleFit, PlacesTheWindowWhollyOnTheAvailableArea) {
  const struct {
    QRect available;
    QSize outer;
    QPoint place;
  } rows[] = {
      {{0, 0, 1024, 768}, {748, 722}, {138, 23}},
      {{0, 27, 1366, 741}, {748, 722}, {309, 36}},   // a panel at the top
      {{0, 0, 1920, 1080}, {1480, 1356}, {220, 0}},  // taller than the area: its top
      {{100, 50, 600, 400}, {748, 722}, {100, 50}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.available.height());
    EXPECT_EQ(PlaceOnScreen(row.available, row.outer), row.place);
  }
}

TEST_F(WindowTest, TheScaleBoxOffersWhatTheScreenHasRoomFor) {
  QComboBox& scales = Window().Settings().DisplayScaleBox();
  ASSERT_EQ(scales.count(), 1);  // 800 x 600
  EXPECT_EQ(scales.itemData(0).toInt(), 100);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GE(Window().pos().x(), available.left());
  EXPECT_GE(Window().pos().y(), available.top());
}

// Ctrl+0 takes the window back to 100 % (and the script's text to its size).
TEST_F(WindowTest, CtrlZeroGoesBackToAHundredPercent) {
  MainWindow large(dialogs_, nullptr, 150);
  bool restarted = false;
  large.SetRestart([&] { restarted = true; });
  large.show();
  QApplication::setActiveWindow(&large);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&large));
  QTest::keyClick(&large, Qt::Key_0, Qt::ControlModifier);
  EXPECT_TRUE(restarted);
  EXPECT_EQ(RememberedDisplayScale(QSettings()), 100);
}

// A scale changed during a run ends it as the stop button does, with its
// message; the hint box keeps its place in the new window.
TEST_F(WindowTest, AScaleChangedDuringARunStopsItWithTheStopsMessage) {
  Window().Settings().SetDisplayScales({100, 125}, 100);
  std::optional<WindowCarry> carry;
  Window().SetRestart([&] { carry = CarryFrom(Window()); });
  Window().Editor().SetContent(kLongRun);
  Window().StartRun();
  ASSERT_TRUE(Window().Runs().Running());
  QComboBox& scales = Window().Settings().DisplayScaleBox();
  scales.setCurrentIndex(scales.findData(125));
  ASSERT_TRUE(carry.has_value());
  EXPECT_FALSE(Window().Runs().Running());
  EXPECT_TRUE(carry->hint.ends_with(kStopped));
}

// What the window reads once it has waited for a run (the hint the new
// window carries) holds everything the run said, also when its thread had
// returned before the wait began.
TEST_F(WindowTest, WaitingForARunAppliesWhatItSaidLast) {
  Window().Editor().SetContent(Gbk("前进 10"));
  Window().StartRun();
  while (Window().Runs().Running()) std::this_thread::yield();
  Window().WaitForRun();
  EXPECT_TRUE(Window().HintBox().Content().ends_with(Gbk("程序调试完毕！\r\n")));
}

TEST_F(WindowTest, TheHintKeepsItsScrollPlaceInTheNewWindow) {
  Text lines;
  for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(i) + "\r\n";
  Window().HintBox().SetContent(lines);
  QScrollBar& bar = *Window().HintBox().verticalScrollBar();
  ASSERT_GT(bar.maximum(), 60);
  bar.setValue(60);
  const WindowCarry carry = CarryFrom(Window());
  MainWindow next(dialogs_, &carry);
  next.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
  QCoreApplication::processEvents();
  EXPECT_EQ(next.HintBox().verticalScrollBar()->value(), 60);
}

// Each action that used to leave the keyboard on a button, a dialog or the
// canvas gives it back to the script.
TEST_F(WindowTest, TheEditorHasTheFocusAfterEachAction) {
  const QString path = PathOf("a.dvg");
  WriteFile(path, Gbk("前进 10"));
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"新建源码", [&] { QTest::mouseClick(&Button("按钮_新建源码"), Qt::LeftButton); }},
      {"Ctrl+N", [&] { QTest::keyClick(&Window(), Qt::Key_N, Qt::ControlModifier); }},
      {"打开源码",
       [&] {
         dialogs_.file_answers = {path};
         QTest::mouseClick(&Button("按钮_打开源码"), Qt::LeftButton);
       }},
      {"an example",
       [&] {
         Window().ChooseExample();
         auto* chooser = Window().findChild<ExampleChooser*>();
         ASSERT_NE(chooser, nullptr);
         chooser->List().setCurrentRow(2);
         chooser->accept();
       }},
      {"a run's end",
       [&] {
         QTest::mouseClick(&Button("按钮_调试"), Qt::LeftButton);
         Window().WaitForRun();
       }},
      {"the stop button",
       [&] {
         Window().Editor().SetContent(kLongRun);
         Window().StartRun();
         QTest::mouseClick(&Button("按钮_停止"), Qt::LeftButton);
       }},
      {"a click on the canvas",
       [&] { QTest::mouseClick(&Window().Canvas(), Qt::LeftButton, {}, QPoint(100, 100)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QApplication::setActiveWindow(&Window());  // a closed dialog gives it back
    Window().RunCountBox().setFocus();
    Window().Files().TakeOver({});  // nothing to save: no prompt
    c.act();
    Drain();
    QCoreApplication::processEvents();
    EXPECT_EQ(Window().focusWidget(), &Window().Editor());
  }
}

Text TurtleLine(const char* state, const char* speed, const char* place, const char* pen) {
  return Gbk(state) + "  " + Gbk(speed) + "  " + Gbk(place) + "  " + Gbk(pen);
}

// The status line says where the run stands, its speed and the turtle, also
// with the page 属性设置 closed: a pen left up is there to read.
TEST_F(WindowTest, TheStatusLineSaysWhereTheRunStands) {
  StatusLine& status = Window().StatusLine();
  const auto shown = [&] { return Utf8ToGbk(status.Shown().toStdString()); };
  const auto key = [&](Qt::Key key) { QTest::keyClick(&Window(), key); };
  EXPECT_EQ(shown(), TurtleLine("就绪", "速度：最快", "位置：(0, 0)  方向：0°", "笔：落下"));

  Window().Editor().SetContent(Gbk("前进 40\r\n抬笔\r\n右转 90\r\n") + kLongRun);
  key(Qt::Key_F6);   // slower, with the page 属性设置 not shown
  key(Qt::Key_F10);  // a run held before its first command
  EXPECT_EQ(shown(), TurtleLine("单步", "速度：快", "位置：(0, 0)  方向：0°", "笔：落下"));
  key(Qt::Key_F7);
  for (int i = 0; i < 3; ++i) key(Qt::Key_F10);
  ASSERT_TRUE(Window().Runs().Pacer().WaitUntilHeld(std::chrono::seconds(10)));
  Drain();
  status.Refresh();  // what the timer does a few times a second
  EXPECT_EQ(shown(), TurtleLine("单步", "速度：最快", "位置：(0, 40)  方向：90°", "笔：抬起"));
  key(Qt::Key_F8);  // continues into the long wait
  EXPECT_TRUE(FromGbk(shown()).startsWith(QStringLiteral("运行中  速度：最快")));
  key(Qt::Key_F8);
  EXPECT_TRUE(FromGbk(shown()).startsWith(QStringLiteral("已暂停")));
  QTest::mouseClick(&Button("按钮_停止"), Qt::LeftButton);
  Drain();
  EXPECT_EQ(shown(), TurtleLine("已停止", "速度：最快", "位置：(0, 40)  方向：90°", "笔：抬起"));

  Window().Editor().SetContent(Gbk("落笔"));
  Window().StartRun();
  Window().WaitForRun();
  EXPECT_EQ(shown(), TurtleLine("就绪", "速度：最快", "位置：(0, 40)  方向：90°", "笔：落下"));
}

}  // namespace
}  // namespace dravel::testing
