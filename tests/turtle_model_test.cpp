// The turtle geometry against a recording surface: edge modes, wrap limit,
// arcs, rectangles, the bearing, rounding and bad numbers.
#include "canvas/turtle_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace dravel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Segment {
  TurtlePoint from;
  TurtlePoint to;
};

class RecordingSurface : public DrawingSurface {
 public:
  void DrawSegment(TurtlePoint from, TurtlePoint to) override { segments.push_back({from, to}); }
  void PutText(std::string_view text, TurtlePoint anchor, double heading) override {
    texts.emplace_back(text);
    text_anchor = anchor;
    text_heading = heading;
  }
  void RequestRepaint(bool) override { ++repaints; }
  void EraseInk() override { ++erases; }
  void RefreshBackground() override { ++refreshes; }

  std::vector<Segment> segments;
  std::vector<std::string> texts;
  TurtlePoint text_anchor;
  double text_heading = -1;
  int repaints = 0;
  int erases = 0;
  int refreshes = 0;
};

class TurtleModelTest : public ::testing::Test {
 protected:
  explicit TurtleModelTest(int width = 400, int height = 300) : model_(surface_, width, height) {}

  const TurtleState& Turtle() const { return model_.TurtleAt(model_.CurrentIndex()); }

  void ExpectAt(double x, double y, double tolerance = 1e-9) const {
    EXPECT_NEAR(Turtle().x, x, tolerance);
    EXPECT_NEAR(Turtle().y, y, tolerance);
  }

  static void ExpectSegment(const Segment& segment, TurtlePoint from, TurtlePoint to) {
    EXPECT_NEAR(segment.from.x, from.x, 1e-9);
    EXPECT_NEAR(segment.from.y, from.y, 1e-9);
    EXPECT_NEAR(segment.to.x, to.x, 1e-9);
    EXPECT_NEAR(segment.to.y, to.y, 1e-9);
  }

  RecordingSurface surface_;
  TurtleModel model_;
};

TEST_F(TurtleModelTest, ForwardDrawsAlongHeadingAndTurnsAreClockwise) {
  model_.Forward(100);
  ASSERT_EQ(surface_.segments.size(), 1u);
  ExpectSegment(surface_.segments[0], {0, 0}, {0, 100});
  model_.TurnRight(90);
  model_.Forward(50);
  ExpectAt(50, 100);
  model_.Back(20);
  ExpectAt(30, 100);
  EXPECT_DOUBLE_EQ(Turtle().heading, 90);
}

TEST_F(TurtleModelTest, TurnsNormaliseIntoAFullCircle) {
  struct Case {
    double left, right, heading;
  } cases[] = {{30, 0, 330},  {0, 725, 5},    {0, 360, 0},
               {720, 0, 0},   {0, -90, 270},  {1e20, 0, std::fmod(360 - std::fmod(1e20, 360), 360)},
               {1e-15, 0, 0}, {0, -1e-300, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "left " << c.left << " right " << c.right);
    model_.Home();
    model_.TurnLeft(c.left);
    model_.TurnRight(c.right);
    EXPECT_NEAR(Turtle().heading, c.heading, 1e-6);
    EXPECT_GE(Turtle().heading, 0);
    EXPECT_LT(Turtle().heading, 360);
  }
}

TEST_F(TurtleModelTest, WrapLeavesByOneBorderAndComesBackAtTheOther) {
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.TurnRight(90);
  model_.Forward(300);
  ASSERT_EQ(surface_.segments.size(), 2u);
  ExpectSegment(surface_.segments[0], {0, 0}, {200, 0});
  ExpectSegment(surface_.segments[1], {-200, 0}, {-100, 0});
  ExpectAt(-100, 0);
}

TEST_F(TurtleModelTest, WrapAcrossTopAndBottomKeepsTheCrossingColumn) {
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.SetXY(10, 100);
  surface_.segments.clear();
  model_.Forward(100);  // up through y = 150, back in at -150
  ExpectAt(10, -100);
  model_.Back(100);  // down through y = -150, back in at 150
  ExpectAt(10, 100);
  ASSERT_EQ(surface_.segments.size(), 4u);
  ExpectSegment(surface_.segments[0], {10, 100}, {10, 150});
  ExpectSegment(surface_.segments[1], {10, -150}, {10, -100});
  ExpectSegment(surface_.segments[2], {10, -100}, {10, -150});
  ExpectSegment(surface_.segments[3], {10, 150}, {10, 100});
}

TEST_F(TurtleModelTest, FenceStopsAtTheBorderAndClampsMoves) {
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.TurnRight(90);
  model_.Forward(300);
  ASSERT_EQ(surface_.segments.size(), 1u);
  ExpectAt(200, 0);
  struct Case {
    double x, y, want_x, want_y;
  } cases[] = {{1000, 0, 199, 0},
               {-1000, 0, -200, 0},
               {0, 1000, 0, 150},
               {0, -1000, 0, -149},
               {1e308, -1e308, 199, -149}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    model_.SetXY(c.x, c.y);
    ExpectAt(c.want_x, c.want_y);
  }
}

// A rectangle in Fence runs Unbounded and can leave the turtle a hair past the
// border; its later moves must still go, along the border.
TEST_F(TurtleModelTest, FenceMovesOnFromATurtleJustOutside) {
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.PenUp();
  model_.SetX(-391);
  model_.Rectangle(77.1, 100.8);
  model_.Forward(80);
  ExpectAt(-200, 80, 1e-6);
  model_.SetEdgeMode(EdgeMode::Unbounded);
  model_.SetXY(5000, 0);
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.TurnLeft(90);
  model_.Forward(100);
  ExpectAt(100, 0, 1e-6);
}

TEST_F(TurtleModelTest, UnboundedGoesAnywhere) {
  model_.SetEdgeMode(EdgeMode::Unbounded);
  model_.SetX(1000);
  model_.Forward(5000);
  ExpectAt(1000, 5000);
  EXPECT_EQ(surface_.segments.size(), 2u);
}

TEST_F(TurtleModelTest, WrapChainIsCutAfterThirtyThreeCalls) {
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.TurnRight(90);
  model_.Forward(400 * 100);
  EXPECT_EQ(surface_.segments.size(), 33u);
  ExpectAt(-200, 0);
  // The next move is a fresh chain.
  model_.Forward(50);
  ExpectAt(-150, 0);
}

TEST_F(TurtleModelTest, WrapRemainderOfZeroStillTakesACall) {
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.TurnRight(90);
  model_.Forward(200 + 1e-13);  // just past the border
  ExpectAt(-200, 0, 1e-9);
}

TEST_F(TurtleModelTest, SetXYOutsideInWrapDrawsTheWrappedLine) {
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.SetXY(300, 0);
  ASSERT_EQ(surface_.segments.size(), 2u);
  ExpectSegment(surface_.segments[1], {-200, 0}, {-100, 0});
  ExpectAt(-100, 0);
  EXPECT_DOUBLE_EQ(Turtle().heading, 0);
  model_.SetXY(350, 0);  // goes on from the unwrapped (300, 0)
  ASSERT_EQ(surface_.segments.size(), 3u);
  ExpectSegment(surface_.segments[2], {-100, 0}, {-50, 0});
  model_.SetXY(0, 0);  // pending: walks back left by 350 from (350, 0)
  ExpectAt(0, 0, 1e-9);
}

TEST_F(TurtleModelTest, CircleUsesOneHundredEightyChordsAndRestoresTheTurtle) {
  model_.SetXY(10, 20);
  model_.TurnRight(30);
  model_.Hide();
  model_.Show();
  surface_.segments.clear();
  model_.Circle(100);
  EXPECT_EQ(surface_.segments.size(), 180u);
  ExpectAt(10, 20);
  EXPECT_DOUBLE_EQ(Turtle().heading, 30);
  EXPECT_EQ(Turtle().pen, 0);
  EXPECT_EQ(Turtle().visible, 1);
  // The path starts 100 behind the turtle and closes there.
  const TurtlePoint behind{10 - 100 * std::sin(0.5236), 20 - 100 * std::cos(0.5236)};
  EXPECT_NEAR(surface_.segments.front().from.x, behind.x, 0.01);
  EXPECT_NEAR(surface_.segments.back().to.y, behind.y, 0.01);
}

TEST_F(TurtleModelTest, CircleZeroIsOneZeroLengthChordAndPenUpDrawsNothing) {
  model_.Circle(0);
  ASSERT_EQ(surface_.segments.size(), 1u);
  ExpectSegment(surface_.segments[0], {0, 0}, {0, 0});
  model_.PenUp();
  model_.Circle(50);
  EXPECT_EQ(surface_.segments.size(), 1u);
  EXPECT_EQ(Turtle().pen, -1);
}

// Bounds of every drawn point.
struct Bounds {
  double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
};

Bounds BoundsOf(const std::vector<Segment>& segments) {
  Bounds b;
  for (const Segment& s : segments) {
    for (TurtlePoint p : {s.from, s.to}) {
      b.left = std::min(b.left, p.x);
      b.right = std::max(b.right, p.x);
      b.bottom = std::min(b.bottom, p.y);
      b.top = std::max(b.top, p.y);
    }
  }
  return b;
}

TEST_F(TurtleModelTest, EllipseLiesAcrossAndAlongTheHeading) {
  struct Case {
    double heading, width, height;
  } cases[] = {{0, 100, 40}, {90, 40, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    surface_.segments.clear();
    model_.Home();
    model_.TurnRight(c.heading);
    surface_.segments.clear();
    model_.Ellipse(50, 20);
    const Bounds b = BoundsOf(surface_.segments);
    // 90 chords of 4 degrees miss the far points by a hair.
    EXPECT_NEAR(b.right - b.left, c.width, 0.1);
    EXPECT_NEAR(b.top - b.bottom, c.height, 0.1);
  }
}

TEST_F(TurtleModelTest, EllipseLargerThanTheCanvasOnlyInUnbounded) {
  model_.Ellipse(401, 10);
  model_.Ellipse(10, 301);
  EXPECT_TRUE(surface_.segments.empty());
  model_.Ellipse(400, 300);  // compared with the whole width, not half
  EXPECT_FALSE(surface_.segments.empty());
  surface_.segments.clear();
  model_.SetEdgeMode(EdgeMode::Unbounded);
  model_.Ellipse(401, 10);
  EXPECT_FALSE(surface_.segments.empty());
}

TEST_F(TurtleModelTest, RectangleIsCentredAndLeavesThePenDown) {
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.PenUp();
  model_.Rectangle(100, 50);
  ASSERT_EQ(surface_.segments.size(), 4u);
  const TurtlePoint corners[] = {{-25, 50}, {25, 50}, {25, -50}, {-25, -50}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(surface_.segments[i].from.x, corners[i].x, 1e-9);
    EXPECT_NEAR(surface_.segments[i].from.y, corners[i].y, 1e-9);
  }
  ExpectAt(0, 0);
  EXPECT_NEAR(Turtle().heading, 0, 1e-9);
  EXPECT_EQ(Turtle().pen, 0);
  EXPECT_EQ(model_.GetEdgeMode(), EdgeMode::Fence);
}

TEST_F(TurtleModelTest, RectangleInFenceMayReachBeyondTheBorder) {
  model_.Rectangle(1000, 10);
  const Bounds b = BoundsOf(surface_.segments);
  EXPECT_NEAR(b.top, 500, 1e-9);
}

TEST_F(TurtleModelTest, HomeDrawsBackAndClearKeepsThePen) {
  model_.SetXY(30, 40);
  model_.TurnRight(45);
  surface_.segments.clear();
  model_.Home();
  ASSERT_EQ(surface_.segments.size(), 1u);
  ExpectSegment(surface_.segments[0], {30, 40}, {0, 0});
  EXPECT_EQ(Turtle().heading, 0);

  model_.SetXY(30, 40);
  model_.PenUp();
  model_.Hide();
  model_.Clear();
  EXPECT_EQ(surface_.erases, 1);
  EXPECT_EQ(surface_.refreshes, 1);
  ExpectAt(0, 0);
  EXPECT_EQ(Turtle().pen, -1);
  EXPECT_EQ(Turtle().visible, 0);
}

TEST_F(TurtleModelTest, ShowAndHideRepaintOnlyOnAChange) {
  model_.Show();
  EXPECT_EQ(surface_.repaints, 0);
  model_.Hide();
  EXPECT_EQ(surface_.repaints, 1);
  model_.Hide();
  model_.Forward(10);  // a hidden turtle needs no sprite refresh
  EXPECT_EQ(surface_.repaints, 1);
  model_.Show();
  EXPECT_EQ(surface_.repaints, 2);
}

TEST_F(TurtleModelTest, WriteTextAtTheTurtleWhateverThePen) {
  model_.SetXY(5, 6);
  model_.TurnRight(90);
  model_.PenUp();
  model_.WriteText("ab");
  ASSERT_EQ(surface_.texts.size(), 1u);
  EXPECT_EQ(surface_.text_anchor, (TurtlePoint{5, 6}));
  EXPECT_EQ(surface_.text_heading, 90);
}

TEST_F(TurtleModelTest, SelectingATurtleInitialisesTheSlotsUpToIt) {
  model_.Forward(10);
  model_.SelectTurtle(3);
  EXPECT_EQ(model_.HighestIndex(), 3);
  EXPECT_EQ(model_.TurtleAt(3).visible, 1);
  model_.SelectTurtle(25);
  EXPECT_EQ(model_.CurrentIndex(), 0);
  EXPECT_EQ(model_.TurtleAt(0).y, 10);
  model_.SelectTurtle(-1);
  EXPECT_EQ(model_.CurrentIndex(), 0);
}

TEST_F(TurtleModelTest, NonFiniteArgumentsAreIgnored) {
  for (EdgeMode mode : {EdgeMode::Wrap, EdgeMode::Fence, EdgeMode::Unbounded}) {
    SCOPED_TRACE(static_cast<int>(mode));
    model_.SetEdgeMode(mode);
    for (double bad : {kInf, -kInf, kNaN}) {
      model_.Forward(bad);
      model_.Back(bad);
      model_.TurnRight(bad);
      model_.Circle(bad);
      model_.Ellipse(bad, 1);
      model_.Ellipse(1, bad);
      model_.Rectangle(bad, 1);
      model_.Rectangle(1, bad);
      model_.SetX(bad);
      model_.SetY(bad);
      model_.SetXY(bad, 0);
    }
    EXPECT_TRUE(surface_.segments.empty());
    ExpectAt(0, 0);
    EXPECT_EQ(Turtle().heading, 0);
  }
}

TEST_F(TurtleModelTest, HugeFiniteNumbersKeepTheTurtleFinite) {
  for (EdgeMode mode : {EdgeMode::Wrap, EdgeMode::Fence}) {
    SCOPED_TRACE(static_cast<int>(mode));
    model_.SetEdgeMode(mode);
    model_.TurnRight(33);
    model_.Forward(1.7e308);
    model_.Back(1.7e308);
    model_.SetXY(1e308, -1e308);
    model_.SetXY(-1e308, 1e308);
    EXPECT_LE(std::fabs(Turtle().x), 200);
    EXPECT_LE(std::fabs(Turtle().y), 150);
    model_.Rectangle(1e308, 1e308);  // Fence draws it unbounded
    EXPECT_TRUE(std::isfinite(Turtle().x));
    EXPECT_TRUE(std::isfinite(Turtle().y));
    model_.Home();
  }
}

TEST_F(TurtleModelTest, ModeChangeWithTheTurtleFarOutsideStaysFinite) {
  model_.SetEdgeMode(EdgeMode::Unbounded);
  model_.SetXY(1e308, 1e308);
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.Forward(1e308);
  model_.TurnRight(90);
  model_.Forward(1e308);
  for (const Segment& s : surface_.segments) {
    EXPECT_FALSE(std::isnan(s.to.x));
    EXPECT_FALSE(std::isnan(s.to.y));
  }
  EXPECT_FALSE(std::isnan(Turtle().x));
  EXPECT_FALSE(std::isnan(Turtle().y));
}

TEST_F(TurtleModelTest, StopCheckEndsAHugeCircleAndRestoresTheTurtle) {
  int checks = 0;
  model_.SetCheckpoint([&] { return ++checks < 1000; });
  model_.TurnRight(10);
  model_.Circle(1e8);  // 1.8e8 chords
  EXPECT_LT(surface_.segments.size(), 1000u);
  ExpectAt(0, 0);
  EXPECT_EQ(Turtle().visible, 1);
  EXPECT_EQ(Turtle().pen, 0);
  EXPECT_EQ(Turtle().heading, 10);
}

TEST_F(TurtleModelTest, StopCheckEndsAWrapChain) {
  int checks = 0;
  model_.SetEdgeMode(EdgeMode::Wrap);
  model_.SetCheckpoint([&] { return ++checks <= 3; });
  model_.TurnRight(90);
  model_.Forward(400 * 100);
  // The first piece, which the operation's gate asked for, then one a check.
  EXPECT_EQ(surface_.segments.size(), 4u);
}

TEST(TurtleRounding, RoundsHalfAwayFromZeroAndSaturates) {
  struct Case {
    double value;
    int32_t rounded;
  } cases[] = {{0.5, 1},
               {-0.5, -1},
               {0.49999, 0},
               {-1.5, -2},
               {2147483646.6, 2147483647},
               {1e300, 2147483647},
               {-1e300, -2147483647 - 1},
               {2147483647.4, 2147483647},
               {-2147483647.6, -2147483647 - 1},
               {-2147483648.4, -2147483647 - 1},
               {-2147483648.6, -2147483647 - 1},
               {kInf, 2147483647},
               {-kInf, -2147483647 - 1},
               {kNaN, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundSaturated(c.value), c.rounded);
  }
}

// Turns from a heading in range take a shortcut past the remainder.
TEST(TurtleHeading, NormalisingGivesTheRemainderLiftedIntoAFullCircle) {
  const double values[] = {0,       -0.0,    std::nextafter(360.0, 0.0),
                           360,     360.5,   1e-320,
                           720,     719.5,   std::nextafter(720.0, 0.0),
                           -1,      -1e-300, -360,
                           1080.25, 1e20,    -1e20};
  for (double value : values) {
    SCOPED_TRACE(value);
    const double remainder = std::fmod(value, 360);
    const double expected =
        remainder >= 0 ? remainder : (remainder + 360 < 360 ? remainder + 360 : 0);
    const double heading = NormaliseHeading(value);
    EXPECT_EQ(heading, expected);
    EXPECT_EQ(std::signbit(heading), std::signbit(expected));
  }
}

TEST(TurtleBearing, PointsFromOnePointToAnother) {
  struct Case {
    TurtlePoint from, to;
    double bearing;
  } cases[] = {{{0, 0}, {0, 10}, 0},    {{0, 0}, {10, 0}, 90},    {{0, 0}, {0, -10}, 180},
               {{0, 0}, {-10, 0}, 270}, {{0, 0}, {10, 10}, 45},   {{0, 0}, {-10, 10}, 315},
               {{5, 5}, {5, 5}, 0},     {{0, 0}, {-10, -10}, 225}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.to.x << ", " << c.to.y);
    EXPECT_NEAR(Bearing(c.from, c.to), c.bearing, 1e-9);
  }
}

}  // namespace
}  // namespace dravel
