// The window in a first lesson: examples and 重置 start clean, the display
// scale is remembered, the reference's pictures show what their examples
// draw, a guide that cannot open offers its folder, the file dialog speaks
// Chinese.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <functional>
#include <optional>

#include "canvas/canvas_core.h"
#include "canvas/qt_pixels.h"
#include "canvas/turtle_canvas.h"
#include "interpreter/command_table.h"
#include "mainwindow/command_reference.h"
#include "mainwindow/display_scale.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/settings_page.h"
#include "mainwindow/source_files.h"
#include "mainwindow/tab_control.h"
#include "mainwindow/window_carry.h"
#include "mainwindow_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::testing {
namespace {

const Text kStopped = Gbk("已停止调试程序！\r\n");

// Pen up, hidden, turned and away from home: what a lesson's last script
// leaves.
const Text kLeavesAMess = Gbk("前进 40\r\n抬笔\r\n隐藏\r\n右转 90\r\n前进 50");

bool InkIsEmpty(MainWindow& window) {
  const QImage ink = ImageOf(window.Canvas().Core().Lock()->InkLayer());
  const QRgb key = ink.pixel(0, 0);
  for (int y = 0; y < ink.height(); ++y) {
    for (int x = 0; x < ink.width(); ++x) {
      if (ink.pixel(x, y) != key) return false;
    }
  }
  return true;
}

void ExpectFreshTurtle(MainWindow& window) {
  const TurtleState turtle = window.Canvas().Core().Lock()->StateOf();
  EXPECT_EQ(turtle.x, 0);
  EXPECT_EQ(turtle.y, 0);
  EXPECT_EQ(turtle.heading, 0);
  EXPECT_EQ(turtle.pen, 0);
  EXPECT_EQ(turtle.visible, 1);
}

// After a script that lifts the pen, an example, the reset key and the
// canvas menu's 重置 each start clean; during a run, they stop it first.
TEST_F(WindowTest, ExamplesAndResetStartClean) {
  struct Case {
    const char* name;
    bool during_run;
    std::function<void(MainWindow&)> act;
  };
  const auto open_example = [](MainWindow& window) { window.OpenExample(Examples()[1]); };
  const auto reset_key = [](MainWindow& window) {
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
  };
  const auto reset_menu = [](MainWindow& window) {
    const QList<QAction*> actions = window.Canvas().ContextMenu()->Menu()->actions();
    ASSERT_FALSE(actions.isEmpty());
    EXPECT_EQ(actions.back()->objectName(), QStringLiteral("reset"));
    actions.back()->trigger();
  };
  const Case cases[] = {
      {"example", false, open_example}, {"example mid-run", true, open_example},
      {"Ctrl+R", false, reset_key},     {"Ctrl+R mid-run", true, reset_key},
      {"menu", false, reset_menu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window().Editor().SetContent(kLeavesAMess);
    Window().StartRun();
    Window().WaitForRun();
    if (c.during_run) Window().Runs().Step();  // a run paused before its first command
    Window().Files().MarkChanged();
    dialogs_.box_answers = {BoxAnswer::kNo};  // the example's save prompt
    c.act(Window());
    Drain();
    EXPECT_FALSE(Window().Runs().Running());
    EXPECT_TRUE(Button("按钮_调试").isEnabled());
    EXPECT_EQ(Hint().find(kStopped) != Text::npos, c.during_run);
    EXPECT_TRUE(InkIsEmpty(Window()));
    ExpectFreshTurtle(Window());
    dialogs_.box_answers.clear();
  }
}

// Another open keeps the canvas as the last run left it.
TEST_F(WindowTest, OpeningAFileKeepsTheTurtle) {
  Window().Editor().SetContent(kLeavesAMess);
  Window().StartRun();
  Window().WaitForRun();
  WriteFile(PathOf("a.dvg"), Gbk("前进 10"));
  Window().Files().OpenPath(PathOf("a.dvg"));
  EXPECT_EQ(Window().Canvas().Core().Lock()->StateOf().pen, -1);
  EXPECT_FALSE(InkIsEmpty(Window()));
}

TEST(DisplayScale, FactorsAndRememberedValues) {
  const struct {
    int percent;
    const char* outside;
    const char* factor;
  } factors[] = {{100, "", "1"}, {150, "", "1.5"}, {200, "1.5", "3"}, {125, "huge", "1.25"}};
  for (const auto& row : factors) {
    SCOPED_TRACE(row.percent);
    EXPECT_EQ(ScaleFactorFor(row.percent, row.outside), QByteArray(row.factor));
  }
  QTemporaryDir dir;
  QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
  EXPECT_EQ(RememberedDisplayScale(settings), 100);
  RememberDisplayScale(settings, 200);
  EXPECT_EQ(RememberedDisplayScale(QSettings(dir.filePath("s.ini"), QSettings::IniFormat)), 200);
  settings.setValue("window/display_scale", 130);  // not a choice: the default
  EXPECT_EQ(RememberedDisplayScale(settings), 100);
}

// A scale chosen on the settings page is remembered, and the window that
// replaces this one has everything: the unsaved script, its changed mark,
// the hint box, the run count, the pen colour, the drawing and the turtle.
TEST_F(WindowTest, ADisplayScaleIsRememberedAndTheNewWindowLosesNothing) {
  QComboBox& scales = Window().Settings().DisplayScaleBox();
  EXPECT_EQ(scales.currentData().toInt(), 100);
  Window().Settings().SetDisplayScales({100, 125, 150}, 100);  // a screen with room
  std::optional<WindowCarry> carry;
  Window().SetRestart([&] { carry = CarryFrom(Window()); });
  Window().Editor().SetContent(Gbk("前进 60\r\n右转 90"));
  Window().Files().MarkChanged();
  Window().Settings().PenColourBox().setCurrentIndex(2);
  Window().StartRun();
  Window().WaitForRun();
  Window().RunCountBox().SetContent("2");
  scales.setCurrentIndex(scales.findData(150));
  ASSERT_TRUE(carry.has_value());
  EXPECT_EQ(RememberedDisplayScale(QSettings()), 150);

  MainWindow next(dialogs_, &*carry, 150);
  EXPECT_EQ(next.Settings().DisplayScaleBox().currentData().toInt(), 150);
  EXPECT_EQ(next.Editor().Content(), Window().Editor().Content());
  EXPECT_EQ(next.Files().SourceChanged(), 1);
  EXPECT_EQ(next.HintBox().Content(), Window().HintBox().Content());
  EXPECT_EQ(next.RunCountBox().Content(), "2");
  EXPECT_EQ(next.Settings().PenColourBox().currentIndex(), 2);
  EXPECT_EQ(ImageOf(next.Canvas().Core().Lock()->InkLayer()),
            ImageOf(Window().Canvas().Core().Lock()->InkLayer()));
  EXPECT_EQ(next.Canvas().Core().Lock()->StateOf().heading, 90);
  EXPECT_EQ(next.Tabs().CurrentPage(), Window().Tabs().CurrentPage());
}

TEST_F(WindowTest, WithoutARestartTheScaleWaitsForTheNextStart) {
  QComboBox& scales = Window().Settings().DisplayScaleBox();
  Window().Settings().SetDisplayScales({100, 200}, 100);
  scales.setCurrentIndex(scales.findData(200));
  EXPECT_EQ(RememberedDisplayScale(QSettings()), 200);
  EXPECT_TRUE(FromGbk(Hint()).contains(QStringLiteral("200% 下次启动时生效")));
}

QImage PictureOf(const char* keyword) {
  const std::vector<QImage> pictures = CommandReference::Pictures();
  const auto rows = AllCommands();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i]->keyword == Gbk(keyword)) return pictures[i];
  }
  ADD_FAILURE() << keyword;
  return {};
}

// The share of a picture's pixels that are not its background's (its corner's).
double DrawnShare(const QImage& picture) {
  const QRgb background = picture.pixel(0, 0);
  int drawn = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) drawn += picture.pixel(x, y) != background;
  }
  return double(drawn) / (picture.width() * picture.height());
}

// Some row of `picture` is green, then not, then green again.
bool HasAGapInALine(const QImage& picture) {
  for (int y = 0; y < picture.height(); ++y) {
    QString runs;
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      const QChar mark = pixel.green() - pixel.red() > 60 ? 'g' : '.';
      if (!runs.endsWith(mark)) runs += mark;
    }
    if (runs.contains(QStringLiteral("g.g"))) return true;
  }
  return false;
}

// The reference shows what each example draws, not the whole canvas: a turn
// shows its turtle turned, a lifted pen its gap, a text fills its picture.
TEST(CommandReferencePictures, ShowWhatTheirExamplesDraw) {
  const QImage left = PictureOf("左转");
  ASSERT_FALSE(left.isNull());
  EXPECT_GT(DrawnShare(left), 0.02);
  EXPECT_NE(left, PictureOf("右转"));
  EXPECT_GT(DrawnShare(PictureOf("写文字")), 0.06);
  EXPECT_TRUE(HasAGapInALine(PictureOf("抬笔")));
}

// With no browser to open the guide, a box offers its folder or its address.
TEST_F(WindowTest, WithNoBrowserTheGuideOffersItsFolderOrItsAddress) {
  const QString guide_path = PathOf("guide.html");
  WriteFile(guide_path, "<html></html>");
  const QUrl guide = QUrl::fromLocalFile(guide_path);
  const QUrl folder = QUrl::fromLocalFile(dir_.path());
  const struct {
    const char* name;
    int choice;
    std::deque<bool> opened;  // the guide, then the folder
    std::vector<QUrl> urls;
    const char* hint;
  } cases[] = {
      {"folder", 0, {false, true}, {guide, folder}, ""},
      {"no file manager", 0, {false, false}, {guide, folder}, "也打不开文件夹"},
      {"address", 1, {false}, {guide}, "地址已复制"},
      {"close", 2, {false}, {guide}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs_.urls_opened.clear();
    dialogs_.url_answers = c.opened;
    dialogs_.choice_answers = {c.choice};
    Window().HintBox().SetContent(Text());
    QGuiApplication::clipboard()->clear();
    Window().OpenGuide(guide);
    EXPECT_EQ(dialogs_.urls_opened, c.urls);
    ASSERT_FALSE(dialogs_.choices_shown.empty());
    EXPECT_EQ(dialogs_.choices_shown.back().size(), 3);
    EXPECT_EQ(FromGbk(Hint()).contains(QString::fromUtf8(c.hint)), true);
    EXPECT_EQ(QGuiApplication::clipboard()->text() == guide.toString(), c.choice == 1);
  }
}

}  // namespace
}  // namespace dravel::testing
