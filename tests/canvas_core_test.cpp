// The canvas as the interpreter and the window use it: sprites in the painted
// frame, animation frames, resizing, and stopping a long operation from
// another thread under the drawing lock.
#include "canvas/canvas_core.h"

#include <gtest/gtest.h>

#include <QTransform>
#include <functional>
#include <future>
#include <thread>

namespace dravel {
namespace {

constexpr int kWidth = 200, kHeight = 100;

// Whether `frame` shows `sprite` with its top-left at `at`, white being
// transparent.
bool ShowsSprite(const QImage& frame, const QImage& sprite, QPoint at) {
  for (int y = 0; y < sprite.height(); ++y)
    for (int x = 0; x < sprite.width(); ++x)
      if (sprite.pixel(x, y) != 0xFFFFFFFF &&
          frame.pixel(at.x() + x, at.y() + y) != sprite.pixel(x, y))
        return false;
  return true;
}

TEST(SpriteImages, BuiltInStripsHaveTheListedFrames) {
  struct Case {
    int set, width, height, count;
  } cases[] = {{1, 20, 25, 4}, {2, 32, 29, 10}, {3, 32, 36, 3}, {4, 29, 37, 6},
               {5, 29, 37, 6}, {6, 28, 40, 2},  {7, 25, 18, 3}, {8, 38, 36, 2},
               {9, 25, 30, 3}, {10, 39, 56, 2}, {0, 20, 25, 4}, {11, 20, 25, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    const SpriteFrames& frames = BuiltInSprites(c.set);
    ASSERT_EQ(int(frames.size()), c.count);
    for (const QImage& frame : frames) {
      EXPECT_EQ(frame.size(), QSize(c.width, c.height));
      EXPECT_EQ(frame.pixel(0, 0), 0xFFFFFFFF);  // white corners: transparent
    }
    EXPECT_NE(frames[0], frames[1]);  // animated
  }
}

TEST(SpriteImages, TurningFollowsTheHeadingClockwise) {
  const QImage& frame = BuiltInSprites(1)[0];  // 20 x 25
  EXPECT_EQ(TurnFrame(frame, 0), frame);
  EXPECT_EQ(TurnFrame(frame, 90), frame.transformed(QTransform().rotate(90)));
  // Half turn about the integer centre (10, 12): column 0 falls outside.
  const QImage half = TurnFrame(frame, 180);
  ASSERT_EQ(half.size(), frame.size());
  for (int y = 0; y < 25; ++y) {
    EXPECT_EQ(half.pixel(0, y), 0xFFFFFFFF);
    for (int x = 1; x < 20; ++x) ASSERT_EQ(half.pixel(x, y), frame.pixel(20 - x, 24 - y));
  }
  EXPECT_EQ(TurnedBox({20, 25}, 45), QSize(31, 31));
  EXPECT_EQ(TurnedBox({20, 25}, 270), QSize(25, 20));
}

TEST(SpriteImages, SplitStripDropsPartialFramesAndFlattensAlpha) {
  QImage strip(50, 10, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  strip.setPixel(21, 1, qRgba(10, 20, 30, 255));
  const SpriteFrames frames = SplitStrip(strip, 20);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].pixel(1, 1), qRgb(10, 20, 30));
  EXPECT_EQ(frames[1].pixel(0, 0), 0xFFFFFFFF);
  EXPECT_TRUE(SplitStrip(strip, 0).empty());
  EXPECT_TRUE(SplitStrip(strip, 51).empty());
  EXPECT_TRUE(SplitStrip(QImage(), 5).empty());
}

class CanvasCoreTest : public ::testing::Test {
 protected:
  CanvasCore canvas_{kWidth, kHeight};
};

TEST_F(CanvasCoreTest, PaintShowsTheSpriteCentredOnTheTurtle) {
  const QImage& frame = BuiltInSprites(1)[0];
  EXPECT_TRUE(ShowsSprite(canvas_.Paint(), frame, {100 - 10, 50 - 12}));
  canvas_.Turtle().TurnRight(90);
  const QImage turned = TurnFrame(frame, 90);  // 25 x 20
  const QImage painted = canvas_.Paint();
  EXPECT_TRUE(ShowsSprite(painted, turned, {100 - 12, 50 - 10}));
  EXPECT_FALSE(ShowsSprite(painted, frame, {100 - 10, 50 - 12}));
  EXPECT_EQ(canvas_.VisibleLayer().pixel(100, 50), 0xFFFFFFFF);  // not in the layer
}

TEST_F(CanvasCoreTest, HiddenTurtleIsNotPainted) {
  canvas_.Turtle().Hide();
  EXPECT_EQ(canvas_.Paint(), canvas_.VisibleLayer());
  canvas_.Turtle().Show();
  EXPECT_NE(canvas_.Paint(), canvas_.VisibleLayer());
}

TEST_F(CanvasCoreTest, PaintOnASmallCanvasClipsTheSprite) {
  CanvasCore tiny(3, 2);
  tiny.Turtle().SetXY(-1e300, 1e300);
  tiny.SetEdgeMode(EdgeMode::Unbounded);
  tiny.Turtle().SetXY(1e300, 1e300);
  EXPECT_EQ(tiny.Paint().size(), QSize(3, 2));
  CanvasCore empty(0, -5);
  EXPECT_EQ(empty.Paint().size(), QSize(1, 1));
}

TEST_F(CanvasCoreTest, FramesStepForVisibleSlotsAndWrap) {
  for (int expected : {1, 2, 3, 0, 1}) {
    canvas_.AdvanceFrames();
    EXPECT_EQ(canvas_.Frame(0), expected);
  }
  canvas_.Turtle().Hide();
  canvas_.AdvanceFrames();
  EXPECT_EQ(canvas_.Frame(0), 1);
  canvas_.SetFrame(0, 3);
  EXPECT_EQ(canvas_.Frame(0), 3);
  canvas_.SetFrame(0, 4);
  EXPECT_EQ(canvas_.Frame(0), 0);
}

TEST_F(CanvasCoreTest, SlotWithoutImagesShowsNothingAndDoesNotAnimate) {
  canvas_.SetImageSet(0, 0);
  EXPECT_EQ(canvas_.FrameCount(0), 0);
  int repaints = 0;
  canvas_.SetRepaintCallback([&] { ++repaints; });
  canvas_.AdvanceFrames();
  EXPECT_EQ(repaints, 0);
  EXPECT_EQ(canvas_.Paint(), canvas_.VisibleLayer());
  canvas_.SetImageSet(0, 42);
  EXPECT_EQ(canvas_.ImageSet(0), 1);
}

TEST_F(CanvasCoreTest, ResizeClearsAndCentresTurtleZero) {
  canvas_.SetBackgroundColour(0x606060);
  canvas_.SetPenColour(0x00FF00);
  canvas_.Turtle().Forward(30);
  canvas_.Resize(300, 120);
  EXPECT_EQ(canvas_.Size(), QSize(300, 120));
  EXPECT_EQ(canvas_.StateOf().x, 0);
  EXPECT_EQ(canvas_.StateOf().y, 0);
  const QImage layer = canvas_.VisibleLayer();
  EXPECT_EQ(layer.pixel(150, 50), qRgb(96, 96, 96));
  canvas_.Turtle().Forward(10);
  EXPECT_EQ(canvas_.VisibleLayer().pixel(150, 60), qRgb(0, 255, 0));
}

TEST_F(CanvasCoreTest, NothingIsDrawnOnceTheRunIsStopped) {
  RunSession run;
  const std::unique_ptr<TurtleOperations> turtle = canvas_.TurtleFor(run);
  turtle->Forward(10);
  const QImage before = canvas_.VisibleLayer();
  canvas_.UnderDrawingLock([&] { run.Stop(); });
  turtle->TurnRight(90);
  turtle->Forward(20);
  turtle->Circle(20);
  turtle->WriteText("x");
  EXPECT_EQ(canvas_.VisibleLayer(), before);
  canvas_.Turtle().Forward(10);  // the window's own calls still act
  EXPECT_NE(canvas_.VisibleLayer(), before);
}

// The run thread has passed its line's stop check and its call is on its
// way when the stop goes through: the call must change neither the layers
// nor the turtle. The window's own calls still act.
TEST_F(CanvasCoreTest, CallsOnTheirWayAtTheStopChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(TurtleOperations&)> call;
  } cases[] = {
      {"clear", [](TurtleOperations& t) { t.Clear(); }},
      {"turn", [](TurtleOperations& t) { t.TurnRight(90); }},
      {"pen up", [](TurtleOperations& t) { t.PenUp(); }},
      {"home", [](TurtleOperations& t) { t.Home(); }},
      {"set position", [](TurtleOperations& t) { t.SetXY(30, -20); }},
      {"hide", [](TurtleOperations& t) { t.Hide(); }},
      {"forward", [](TurtleOperations& t) { t.Forward(20); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    canvas_.Turtle().Clear();
    RunSession run;
    const std::unique_ptr<TurtleOperations> turtle = canvas_.TurtleFor(run);
    std::promise<void> drawn, go;
    std::thread runner([&] {
      turtle->Forward(10);
      turtle->TurnRight(45);
      turtle->EndBatch();  // as a run does before it waits on anything
      drawn.set_value();
      go.get_future().wait();
      c.call(*turtle);
    });
    drawn.get_future().wait();
    const QImage before = canvas_.VisibleLayer();
    const TurtleState state = canvas_.StateOf();
    // The call is released while the stop holds the lock, so it can only
    // take effect after the stop.
    canvas_.UnderDrawingLock([&] {
      go.set_value();
      run.Stop();
    });
    runner.join();
    EXPECT_EQ(canvas_.VisibleLayer(), before);
    EXPECT_EQ(canvas_.StateOf().heading, state.heading);
    EXPECT_EQ(canvas_.StateOf().x, state.x);
    EXPECT_EQ(canvas_.StateOf().y, state.y);
    EXPECT_EQ(canvas_.StateOf().pen, state.pen);
    EXPECT_EQ(canvas_.StateOf().visible, state.visible);
  }
  canvas_.Turtle().Clear();
  EXPECT_EQ(canvas_.StateOf().heading, 0);
}

// A huge circle on the run thread; the test thread paints and then stops it
// while it draws. The circle would take minutes if it ran on.
TEST_F(CanvasCoreTest, StopCutsAHugeCircleShort) {
  RunSession run;
  canvas_.SetEdgeMode(EdgeMode::Wrap);
  std::promise<void> drawing;
  std::atomic<int> repaints{0};
  canvas_.SetRepaintCallback([&] {
    if (++repaints == 1000) drawing.set_value();
  });
  std::thread runner([&] { canvas_.TurtleFor(run)->Circle(1e8); });
  drawing.get_future().wait();
  EXPECT_EQ(canvas_.Paint().size(), QSize(kWidth, kHeight));  // not blocked
  canvas_.UnderDrawingLock([&] { run.Stop(); });
  const QImage at_stop = canvas_.VisibleLayer();
  runner.join();
  EXPECT_EQ(canvas_.VisibleLayer(), at_stop);
  EXPECT_EQ(canvas_.StateOf().x, 0);
  EXPECT_EQ(canvas_.StateOf().visible, 1);
}

// The stopped run is still in its huge circle when the next run starts; the
// old run must still end, and the new one must draw.
TEST_F(CanvasCoreTest, ANewRunDoesNotReviveAStoppedOne) {
  RunSession first_run;
  canvas_.SetEdgeMode(EdgeMode::Wrap);
  std::promise<void> drawing;
  std::atomic<int> repaints{0};
  canvas_.SetRepaintCallback([&] {
    if (++repaints == 100) drawing.set_value();
  });
  std::thread first([&] { canvas_.TurtleFor(first_run)->Circle(1e8); });
  drawing.get_future().wait();
  canvas_.UnderDrawingLock([&] { first_run.Stop(); });
  RunSession second_run;
  std::thread second([&] {
    const std::unique_ptr<TurtleOperations> turtle = canvas_.TurtleFor(second_run);
    turtle->Clear();
    turtle->Forward(30);
  });
  second.join();
  first.join();
  EXPECT_EQ(canvas_.VisibleLayer().pixel(100, 25), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace dravel
