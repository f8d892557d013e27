// The canvas shared between threads: a run's calls refused once its session
// is stopped (also calls already on their way), a long operation cut short
// by a stop from another thread under the drawing lock while paints go on,
// and a new run that does not revive a stopped one.
#include "canvas/canvas_core.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

namespace dravel {
namespace {

constexpr int kWidth = 200, kHeight = 100;

std::vector<uint32_t> Visible(const CanvasCore& canvas) {
  return PixelImage::Of(canvas.Lock()->VisibleLayer()).pixels;
}

class CanvasCoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<CanvasCore> canvas_ = CanvasCore::Create(kWidth, kHeight);
};

TEST_F(CanvasCoreTest, NothingIsDrawnOnceTheRunIsStopped) {
  RunSession run;
  const std::unique_ptr<TurtleOperations> turtle = canvas_->TurtleFor(run);
  turtle->Forward(10);
  const std::vector<uint32_t> before = Visible(*canvas_);
  canvas_->UnderDrawingLock([&] { run.Stop(); });
  turtle->TurnRight(90);
  turtle->Forward(20);
  turtle->Circle(20);
  turtle->WriteText("x");
  EXPECT_EQ(Visible(*canvas_), before);
  canvas_->Turtle().Forward(10);  // the window's own calls still act
  EXPECT_NE(Visible(*canvas_), before);
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
    canvas_->Turtle().Clear();
    RunSession run;
    const std::unique_ptr<TurtleOperations> turtle = canvas_->TurtleFor(run);
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
    const std::vector<uint32_t> before = Visible(*canvas_);
    const TurtleState state = canvas_->Lock()->StateOf();
    // The call is released while the stop holds the lock, so it can only
    // take effect after the stop.
    canvas_->UnderDrawingLock([&] {
      go.set_value();
      run.Stop();
    });
    runner.join();
    EXPECT_EQ(Visible(*canvas_), before);
    const TurtleState after = canvas_->Lock()->StateOf();
    EXPECT_EQ(after.heading, state.heading);
    EXPECT_EQ(after.x, state.x);
    EXPECT_EQ(after.y, state.y);
    EXPECT_EQ(after.pen, state.pen);
    EXPECT_EQ(after.visible, state.visible);
  }
  canvas_->Turtle().Clear();
  EXPECT_EQ(canvas_->Lock()->StateOf().heading, 0);
}

// A huge circle on the run thread; the test thread paints and then stops it
// while it draws. The circle would take minutes if it ran on.
TEST_F(CanvasCoreTest, StopCutsAHugeCircleShort) {
  RunSession run;
  canvas_->Lock()->SetEdgeMode(EdgeMode::Wrap);
  std::promise<void> drawing;
  std::atomic<int> repaints{0};
  canvas_->Lock()->SetRepaintCallback([&] {
    if (++repaints == 1000) drawing.set_value();
  });
  std::thread runner([&] { canvas_->TurtleFor(run)->Circle(1e8); });
  drawing.get_future().wait();
  EXPECT_EQ(canvas_->Lock()->Paint().size(), size_t(kWidth * kHeight));  // not blocked
  canvas_->UnderDrawingLock([&] { run.Stop(); });
  const std::vector<uint32_t> at_stop = Visible(*canvas_);
  runner.join();
  EXPECT_EQ(Visible(*canvas_), at_stop);
  EXPECT_EQ(canvas_->Lock()->StateOf().x, 0);
  EXPECT_EQ(canvas_->Lock()->StateOf().visible, 1);
}

// The stopped run is still in its huge circle when the next run starts; the
// old run must still end, and the new one must draw.
TEST_F(CanvasCoreTest, ANewRunDoesNotReviveAStoppedOne) {
  RunSession first_run;
  canvas_->Lock()->SetEdgeMode(EdgeMode::Wrap);
  std::promise<void> drawing;
  std::atomic<int> repaints{0};
  canvas_->Lock()->SetRepaintCallback([&] {
    if (++repaints == 100) drawing.set_value();
  });
  std::thread first([&] { canvas_->TurtleFor(first_run)->Circle(1e8); });
  drawing.get_future().wait();
  canvas_->UnderDrawingLock([&] { first_run.Stop(); });
  RunSession second_run;
  std::thread second([&] {
    const std::unique_ptr<TurtleOperations> turtle = canvas_->TurtleFor(second_run);
    turtle->Clear();
    turtle->Forward(30);
  });
  second.join();
  first.join();
  EXPECT_EQ(Visible(*canvas_)[size_t(25 * kWidth + 100)], PixelOf(0));
}

}  // namespace
}  // namespace dravel
