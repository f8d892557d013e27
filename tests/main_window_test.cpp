// The real main window driven as a user would: start-up contents, layout,
// runs, stop and clear mid-run, select all, mnemonics and closing.
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "canvas/canvas_core.h"
#include "canvas/qt_pixels.h"
#include "canvas/turtle_canvas.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow/tab_control.h"
#include "mainwindow/window_run_host.h"
#include "mainwindow_test_fixture.h"
#include "runtime/gbk_codec.h"
#include "runtime/runtime_error.h"

namespace dravel::testing {
namespace {

Text ResourceBytes(const char* path) {
  QFile file(QString::fromLatin1(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
  return file.readAll().toStdString();
}

int GreenPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(0, 255, 0);
  }
  return count;
}

// A delay that tells the test it has begun and then lasts until its run is stopped, so a stop
// can be placed inside it without sleeping. A stop reports success before the run's thread has
// left the wait, so the gate lets go of any call still inside and waits for it to leave; then
// the window's delays wait really again.
class DelayGate {
 public:
  explicit DelayGate(WindowRunHost& host) : host_(host) {
    host_.SetDelayWait([this](const std::stop_token& stop, int) {
      std::unique_lock lock(mutex_);
      entered_ = true;
      ++inside_;
      changed_.notify_all();
      changed_.wait(lock, stop, [this] { return released_; });
      --inside_;
      changed_.notify_all();
    });
  }
  ~DelayGate() {
    {
      std::unique_lock lock(mutex_);
      released_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return inside_ == 0; });
    }
    host_.SetDelayWait({});
  }
  void WaitUntilEntered() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
  }

 private:
  WindowRunHost& host_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool entered_ = false;
  bool released_ = false;
  int inside_ = 0;
};

const Text kRunStart = Gbk("提示信息：\r\n开始调试现行程序...\r\n");
const Text kStopped = Gbk("已停止调试程序！\r\n");

TEST_F(WindowTest, StartsWithItsTemplateContents) {
  const Text example = ResourceBytes(":/texts/example_script.txt");
  const Text help = ResourceBytes(":/texts/help_text.txt");
  ASSERT_EQ(example.size(), 131u);
  ASSERT_EQ(help.size(), 999u);
  EXPECT_EQ(example.substr(0, 4), " //\xbb");
  EXPECT_EQ(Window().Editor().Content(), example);
  EXPECT_EQ(Window().HelpBox().Content(), help);
  EXPECT_EQ(Window().HintBox().Content(), Gbk("提示信息：\r\n"));
  EXPECT_EQ(Window().RunCountBox().Content(), "1");
  EXPECT_EQ(Window().Files().SourceChanged(), 0);
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Dravel"));
  // The canvas comes from its stored properties: dark grey, wrapping.
  EXPECT_EQ(ImageOf(Window().Canvas().Core().Lock()->VisibleLayer()).pixel(5, 5), qRgb(96, 96, 96));
  EXPECT_EQ(Window().Canvas().Core().Lock()->GetEdgeMode(), EdgeMode::Wrap);
}

TEST_F(WindowTest, ClientAreaIsFixedAndHasNoMaximiseButton) {
  EXPECT_EQ(Window().size(), QSize(732, 674));
  EXPECT_EQ(Window().minimumSize(), Window().maximumSize());
  EXPECT_FALSE(Window().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(Window().windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(WindowTest, ControlsSitAtTheirPlaces) {
  const struct {
    const char* name;
    QRect bounds;
    QString caption;
  } kControls[] = {
      {"Dravel对象1", {0, 0, 732, 420}, {}},
      {"status_line", {0, 420, 732, 20}, {}},
      {"选择夹1", {0, 441, 408, 233}, {}},
      {"编辑框_命令输入", {0, 21, 405, 210}, {}},
      {"超级链接框1", {176, 3, 232, 16}, {}},
      {"编辑框_帮助", {0, 21, 405, 210}, {}},
      {"标签1", {432, 444, 64, 24}, QStringLiteral("执行次数：")},
      {"编辑框_执行次数", {435, 468, 64, 24}, {}},
      {"编辑框_提示信息", {411, 576, 320, 96}, {}},
      {"按钮_调试", {428, 500, 80, 32}, QStringLiteral("&A调试")},
      {"按钮_清屏", {428, 538, 80, 32}, QStringLiteral("&B清屏")},
      {"按钮_停止", {520, 500, 80, 32}, QStringLiteral("&C停止")},
      {"按钮_全选", {520, 538, 80, 32}, QStringLiteral("&D全选")},
      {"按钮_打开源码", {520, 458, 80, 32}, QStringLiteral("打开源码")},
      {"按钮_新建源码", {623, 457, 96, 32}, QStringLiteral("新建源码")},
      {"按钮_保存源码", {623, 498, 96, 32}, QStringLiteral("保存源码")},
      {"按钮_编译源码", {623, 538, 96, 32}, QStringLiteral("编译源码")},
  };
  for (const auto& control : kControls) {
    SCOPED_TRACE(control.name);
    auto* widget = Window().findChild<QWidget*>(QString::fromUtf8(control.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), control.bounds);
    if (control.caption.isEmpty()) continue;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      EXPECT_EQ(button->text(), control.caption);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      EXPECT_EQ(label->text(), control.caption);
    }
  }
}

TEST_F(WindowTest, EditBoxesShowWhiteOnDarkCyan) {
  for (QWidget* box : std::initializer_list<QWidget*>{
           &Window().Editor(), &Window().HelpBox(), &Window().HintBox(), &Window().RunCountBox()}) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(0, 128, 128));
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::white));
  }
  EXPECT_TRUE(Window().HelpBox().isReadOnly());
  EXPECT_TRUE(Window().HintBox().isReadOnly());
  EXPECT_FALSE(Window().Editor().isReadOnly());
  EXPECT_EQ(Window().Editor().font().pixelSize(), 14);
}

TEST_F(WindowTest, TabPagesShowOnlyTheirOwnControls) {
  auto* link = Window().findChild<QLabel*>(QString::fromUtf8("超级链接框1"));
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(Window().Editor().isVisible());
  EXPECT_TRUE(link->isVisible());
  EXPECT_FALSE(Window().HelpBox().isVisible());
  Window().Tabs().SetCurrentPage(1);
  EXPECT_FALSE(Window().Editor().isVisible());
  EXPECT_FALSE(link->isVisible());
  EXPECT_TRUE(Window().HelpBox().isVisible());
  Window().Tabs().SetCurrentPage(2);
  EXPECT_FALSE(Window().Editor().isVisible());
  EXPECT_FALSE(Window().HelpBox().isVisible());
}

TEST_F(WindowTest, RunningTheExampleDrawsAStarAndReportsOnePass) {
  Button("按钮_调试").click();
  Window().WaitForRun();
  EXPECT_EQ(Hint(), kRunStart + Gbk("第1次：执行命令完毕！\r\n程序调试完毕！\r\n"));
  EXPECT_TRUE(Button("按钮_调试").isEnabled());
  // Five strokes of 100 pixels; the turtle ends where it began.
  EXPECT_GT(GreenPixels(ImageOf(Window().Canvas().Core().Lock()->InkLayer())), 400);
  const TurtleState turtle = Window().Canvas().Core().Lock()->StateOf();
  EXPECT_NEAR(turtle.x, 0, 1e-6);
  EXPECT_NEAR(turtle.y, 0, 1e-6);
  EXPECT_EQ(Window().Files().SourceChanged(), 0);
}

TEST_F(WindowTest, StopDuringADelayEndsTheRunAtOnce) {
  DelayGate gate(Window().Runs().Host());
  Window().Editor().SetContent(Gbk("延时 100000\r\n前进 100"));
  Button("按钮_调试").click();
  gate.WaitUntilEntered();
  Drain();  // the run's first messages, as the window shows them before a user acts
  EXPECT_FALSE(Button("按钮_调试").isEnabled());
  Button("按钮_停止").click();
  Window().WaitForRun();
  EXPECT_EQ(Hint(), kRunStart + kStopped);
  EXPECT_TRUE(Button("按钮_调试").isEnabled());
  EXPECT_EQ(GreenPixels(ImageOf(Window().Canvas().Core().Lock()->InkLayer())), 0);
}

TEST_F(WindowTest, ClearDuringARunStopsItAndEmptiesTheCanvas) {
  DelayGate gate(Window().Runs().Host());
  Window().Editor().SetContent(Gbk("前进 100\r\n延时 100000\r\n前进 100"));
  Button("按钮_调试").click();
  gate.WaitUntilEntered();
  Drain();
  Button("按钮_清屏").click();
  EXPECT_EQ(Hint(), kRunStart + kStopped);
  EXPECT_TRUE(Button("按钮_调试").isEnabled());
  EXPECT_EQ(GreenPixels(ImageOf(Window().Canvas().Core().Lock()->InkLayer())), 0);
  EXPECT_NEAR(Window().Canvas().Core().Lock()->StateOf().y, 0, 1e-6);
}

TEST_F(WindowTest, ClearBeforeAnyRunOnlyClears) {
  Button("按钮_清屏").click();
  EXPECT_EQ(Hint(), Gbk("提示信息：\r\n"));
}

TEST_F(WindowTest, SelectAllSelectsTheScriptAndFocusesTheEditor) {
  Button("按钮_全选").click();
  EXPECT_TRUE(Window().Editor().hasFocus());
  EXPECT_EQ(Window().Editor().textCursor().selectedText().size(),
            Window().Editor().toPlainText().size());
  Window().Editor().SetContent("");
  Window().RunCountBox().setFocus();
  Button("按钮_全选").click();
  EXPECT_TRUE(Window().Editor().hasFocus());
  EXPECT_FALSE(Window().Editor().textCursor().hasSelection());
}

TEST_F(WindowTest, AltMnemonicsPressTheirButtons) {
  QSignalSpy clicks_a(&Button("按钮_调试"), &QPushButton::clicked);
  QSignalSpy clicks_b(&Button("按钮_清屏"), &QPushButton::clicked);
  QSignalSpy clicks_c(&Button("按钮_停止"), &QPushButton::clicked);
  QSignalSpy clicks_d(&Button("按钮_全选"), &QPushButton::clicked);
  const struct {
    Qt::Key key;
    QSignalSpy* spy;
  } kKeys[] = {{Qt::Key_A, &clicks_a},
               {Qt::Key_C, &clicks_c},
               {Qt::Key_B, &clicks_b},
               {Qt::Key_D, &clicks_d}};
  for (const auto& entry : kKeys) {
    SCOPED_TRACE(entry.key);
    QTest::keyClick(QApplication::focusWidget(), entry.key, Qt::AltModifier);
    // A mnemonic animates the press and clicks when the animation ends.
    EXPECT_TRUE(QTest::qWaitFor([&] { return entry.spy->count() == 1; }));
    Window().WaitForRun();
  }
  EXPECT_EQ(Hint(), kRunStart + Gbk("第1次：执行命令完毕！\r\n程序调试完毕！\r\n"));
  EXPECT_TRUE(Window().Editor().hasFocus());
  EXPECT_EQ(GreenPixels(ImageOf(Window().Canvas().Core().Lock()->InkLayer())), 0);
}

// During a run the run button takes no Alt+A, and Alt+Q is no button's: the
// box with the focus gets them and must not type them.
TEST_F(WindowTest, AltKeysNoButtonTakesTypeNothing) {
  DelayGate gate(Window().Runs().Host());
  const Text script = Gbk("延时 100000\r\n前进 100");
  Window().Editor().SetContent(script);
  Button("按钮_调试").click();
  gate.WaitUntilEntered();
  Drain();
  QSignalSpy run_clicks(&Button("按钮_调试"), &QPushButton::clicked);
  QWidget* editor = &Window().Editor();
  QWidget* count = &Window().RunCountBox();
  const struct {
    QWidget* box;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  } kPresses[] = {{editor, Qt::Key_A, Qt::AltModifier},
                  {editor, Qt::Key_Q, Qt::AltModifier},
                  {editor, Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier},
                  {count, Qt::Key_5, Qt::AltModifier},
                  {count, Qt::Key_A, Qt::AltModifier}};
  for (const auto& press : kPresses) {
    SCOPED_TRACE(press.box->objectName().toStdString() + " " + std::to_string(press.key));
    press.box->setFocus();
    QTest::keyClick(press.box, press.key, press.modifiers);
    Drain();
    EXPECT_EQ(Window().Editor().Content(), script);
    EXPECT_EQ(Window().RunCountBox().Content(), "1");
  }
  EXPECT_EQ(run_clicks.count(), 0);
  Button("按钮_停止").click();
  Window().WaitForRun();
}

TEST_F(WindowTest, AFailingLineFocusesTheEditorAndBeeps) {
  std::atomic<int> beeps = 0;
  Window().Runs().Host().SetBeepSound([&] { ++beeps; });
  Window().RunCountBox().setFocus();
  Window().Editor().SetContent(Gbk("前进 10\r\n\r\n前进"));
  Button("按钮_调试").click();
  Window().WaitForRun();
  EXPECT_EQ(Hint(), kRunStart + Gbk("第3行命令 前进 错误！\r\n"));
  EXPECT_TRUE(Window().Editor().hasFocus());
  EXPECT_EQ(beeps, 1);
  EXPECT_TRUE(Button("按钮_调试").isEnabled());
  Window().Runs().Host().SetBeepSound({});
}

TEST_F(WindowTest, EmptyRunCountBoxBecomesOne) {
  Window().RunCountBox().SetContent("");
  Window().Editor().SetContent("");
  Button("按钮_调试").click();
  Window().WaitForRun();
  EXPECT_EQ(Hint(), kRunStart + Gbk("第1次：执行命令完毕！\r\n程序调试完毕！\r\n"));
  EXPECT_EQ(Window().RunCountBox().Content(), "1");
}

TEST_F(WindowTest, ClosingUnchangedAsksNothing) {
  EXPECT_TRUE(Window().close());
  EXPECT_TRUE(dialogs_.boxes_shown.empty());
}

TEST_F(WindowTest, ClosingAfterAnEditAsksAndCancelKeepsTheWindow) {
  QTest::keyClicks(&Window().Editor(), "x");
  const Text typed = Window().Editor().Content();
  dialogs_.box_answers = {BoxAnswer::kCancel};
  EXPECT_FALSE(Window().close());
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Window().Editor().Content(), typed);
  EXPECT_EQ(Window().Files().SourceChanged(), 1);
  ASSERT_EQ(dialogs_.boxes_shown.size(), 1u);
  EXPECT_EQ(dialogs_.boxes_shown[0], Gbk("源码已更改，请问是否保存？|信息："));
  EXPECT_EQ(dialogs_.box_styles[0], 35);
  dialogs_.box_answers = {BoxAnswer::kNo};
  EXPECT_TRUE(Window().close());
}

}  // namespace
}  // namespace dravel::testing

namespace dravel::testing {
namespace {

// Prints each box with the thread that showed it.
class PrintingDialogs final : public DialogService {
 public:
  bool ShowFileDialog(CommonDialog&) override { return false; }
  int ShowChoices(const QString&, const QString&, const QStringList& choices) override {
    return int(choices.size()) - 1;
  }
  bool OpenUrl(const QUrl&) override { return false; }
  BoxAnswer ShowMessageBox(const Text& content, int, const Text&) override {
    const bool window_thread = QThread::currentThread() == qApp->thread();
    std::fprintf(stderr, "%s: %s", window_thread ? "window" : "other", GbkToUtf8(content).c_str());
    return BoxAnswer::kOk;
  }
};

TEST(RuntimeErrorBoxDeathTest, ARunThreadsErrorIsShownByTheWindowThenEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PrintingDialogs dialogs;
        QObject window;
        RuntimeErrorBox box(dialogs, window);
        SetRuntimeErrorHook([&](std::string_view text) { box.Show(text); });
        std::thread([] { ReportRuntimeError(kErrorIndexAboveCount); }).detach();
        for (;;) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      },
      ::testing::ExitedWithCode(255), "window: 运行时出错!");
}

}  // namespace
}  // namespace dravel::testing
