// Pixels on the two layers: line ends and widths, clipping far-out lines, the
// key colour, background changes, text direction and background pictures.
#include "canvas/raster_surface.h"

#include <gtest/gtest.h>

#include <QRect>
#include <cstdlib>
#include <set>
#include <utility>

namespace dravel {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR

class RasterSurfaceTest : public ::testing::Test {
 protected:
  RasterSurfaceTest() : surface_(200, 100) { surface_.SetPenColour(kRed); }

  uint32_t VisibleAt(int x, int y) const { return ColourOf(surface_.VisibleLayer().pixel(x, y)); }
  uint32_t InkAt(int x, int y) const { return ColourOf(surface_.InkLayer().pixel(x, y)); }
  // Pixels of the visible layer that are not the background colour.
  std::set<std::pair<int, int>> Drawn() const {
    std::set<std::pair<int, int>> drawn;
    for (int y = 0; y < surface_.Height(); ++y)
      for (int x = 0; x < surface_.Width(); ++x)
        if (VisibleAt(x, y) != surface_.BackgroundColour()) drawn.insert({x, y});
    return drawn;
  }
  QRect DrawnBounds() const {
    QRect bounds;
    for (auto [x, y] : Drawn()) bounds |= QRect(x, y, 1, 1);
    return bounds;
  }

  RasterSurface surface_;
};

// Bresenham's pixels from a to b, start included and end excluded, unclipped.
std::set<std::pair<int, int>> ReferenceLine(int x0, int y0, int x1, int y1) {
  std::set<std::pair<int, int>> pixels;
  const int dx = x1 - x0, dy = y1 - y0;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  const bool x_major = std::abs(dx) >= std::abs(dy);
  for (int k = 0; k < steps; ++k) {
    const long long run = 2LL * steps, rise = 2LL * std::min(std::abs(dx), std::abs(dy));
    const int minor = static_cast<int>((k * rise + run / 2) / run);
    const int x = x_major ? x0 + (dx > 0 ? k : -k) : x0 + (dx > 0 ? minor : -minor);
    const int y = x_major ? y0 + (dy > 0 ? minor : -minor) : y0 + (dy > 0 ? k : -k);
    pixels.insert({x, y});
  }
  return pixels;
}

TEST_F(RasterSurfaceTest, ThinLineDrawsTheStartPixelButNotTheEnd) {
  struct Case {
    TurtlePoint from, to;
  } cases[] = {{{0, 0}, {10, 0}},
               {{0, 0}, {0, 10}},
               {{0, 0}, {-7, -7}},
               {{3, 2}, {-20, 9}},
               {{-5, 30}, {2, -30}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.to.x << ", " << c.to.y);
    surface_.EraseInk();
    surface_.DrawSegment(c.from, c.to);
    const int x0 = 100 + int(c.from.x), y0 = 50 - int(c.from.y);
    const int x1 = 100 + int(c.to.x), y1 = 50 - int(c.to.y);
    EXPECT_EQ(VisibleAt(x0, y0), kRed);
    EXPECT_NE(VisibleAt(x1, y1), kRed);
    EXPECT_EQ(Drawn(), ReferenceLine(x0, y0, x1, y1));
  }
}

TEST_F(RasterSurfaceTest, ZeroLengthSegmentDrawsNothing) {
  surface_.DrawSegment({5, 5}, {5.4, 4.6});
  surface_.SetPenWidth(5);
  surface_.DrawSegment({5, 5}, {5, 5});
  EXPECT_TRUE(Drawn().empty());
}

TEST_F(RasterSurfaceTest, FarOutLinesAreClippedToTheSamePixels) {
  struct Case {
    TurtlePoint from, to;
  } cases[] = {{{-300, -17}, {300, 45}},
               {{250, 80}, {-90, -120}},
               {{-1000, 1}, {1000, -1}},
               {{0, -500}, {3, 500}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from.x << ", " << c.from.y);
    surface_.EraseInk();
    surface_.DrawSegment(c.from, c.to);
    std::set<std::pair<int, int>> expected;
    for (auto p : ReferenceLine(100 + int(c.from.x), 50 - int(c.from.y), 100 + int(c.to.x),
                                50 - int(c.to.y)))
      if (p.first >= 0 && p.first < 200 && p.second >= 0 && p.second < 100) expected.insert(p);
    EXPECT_EQ(Drawn(), expected);
  }
}

TEST_F(RasterSurfaceTest, SaturatedEndsStillDrawTheVisiblePart) {
  surface_.DrawSegment({-1e300, 0}, {1e300, 0});
  for (int x = 0; x < 200; ++x) EXPECT_EQ(VisibleAt(x, 50), kRed) << x;
  surface_.EraseInk();
  surface_.DrawSegment({-1e300, -1e300}, {1e300, 1e300});
  EXPECT_EQ(VisibleAt(100, 50), kRed);
  surface_.SetPenWidth(9);
  surface_.DrawSegment({0, -1e300}, {0, 1e300});
  EXPECT_EQ(VisibleAt(100, 0), kRed);
}

TEST_F(RasterSurfaceTest, HalfPixelsRoundAwayFromTheCentre) {
  surface_.DrawSegment({0.5, -0.5}, {20.5, -0.5});
  EXPECT_EQ(VisibleAt(101, 51), kRed);
  EXPECT_NE(VisibleAt(100, 50), kRed);
  surface_.DrawSegment({-0.5, 0.5}, {-0.5, 20.5});
  EXPECT_EQ(VisibleAt(99, 49), kRed);
}

TEST_F(RasterSurfaceTest, WidePenDrawsAThickLineWithoutBlending) {
  surface_.SetPenWidth(3);
  surface_.DrawSegment({-20, 0}, {20, 0});
  int thickness = 0;
  for (int y = 0; y < 100; ++y) thickness += VisibleAt(100, y) == kRed;
  EXPECT_EQ(thickness, 3);
  for (auto [x, y] : Drawn()) EXPECT_EQ(VisibleAt(x, y), kRed);
  EXPECT_EQ(InkAt(100, 49), kRed);
  EXPECT_EQ(InkAt(100, 51), kRed);
}

TEST_F(RasterSurfaceTest, PenWidthOutOfRangeBecomesOne) {
  for (int width : {0, -3, 65535}) {
    surface_.SetPenWidth(width);
    EXPECT_EQ(surface_.PenWidth(), 1);
  }
  surface_.SetPenWidth(65534);
  EXPECT_EQ(surface_.PenWidth(), 65534);
}

TEST_F(RasterSurfaceTest, KeyColourPenComesOutAsBlueSixtyThree) {
  surface_.SetPenColour(kKeyColour);
  EXPECT_EQ(surface_.PenColour(), 0x3F2B22u);
  surface_.DrawSegment({0, 0}, {10, 0});
  EXPECT_EQ(InkAt(100, 50), 0x3F2B22u);
  surface_.SetBackgroundColour(0x123456);
  EXPECT_EQ(VisibleAt(100, 50), 0x3F2B22u);
  EXPECT_EQ(VisibleAt(0, 0), 0x123456u);
}

TEST_F(RasterSurfaceTest, DrawingSurvivesBackgroundChangesAndEraseRemovesIt) {
  surface_.DrawSegment({0, 0}, {10, 0});
  surface_.SetBackgroundColour(0x606060);
  surface_.SetBackgroundColour(0xFFFFFF);
  surface_.SetBackgroundColour(0x606060);
  EXPECT_EQ(VisibleAt(100, 50), kRed);
  EXPECT_EQ(VisibleAt(99, 50), 0x606060u);
  surface_.RefreshBackground();
  EXPECT_EQ(VisibleAt(100, 50), kRed);
  surface_.EraseInk();
  EXPECT_EQ(VisibleAt(100, 50), 0x606060u);
  EXPECT_EQ(InkAt(100, 50), kKeyColour);
}

TEST_F(RasterSurfaceTest, RepaintRequestsReachTheCallback) {
  int erasing = 0, plain = 0;
  surface_.SetRepaintCallback([&](bool erase) { ++(erase ? erasing : plain); });
  surface_.DrawSegment({0, 0}, {10, 0});
  EXPECT_EQ(plain, 1);
  surface_.SetBackgroundColour(1);
  EXPECT_EQ(erasing, 1);
}

TEST_F(RasterSurfaceTest, TextRunsAlongTheHeadingFromTheAnchor) {
  struct Case {
    double heading;
    bool wide;          // reads left to right
    bool above_anchor;  // runs upwards
  } cases[] = {{90, true, false}, {0, false, true}};
  const std::string text = "\xc7\xb0\xbd\xf8";  // two Chinese characters
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    RasterSurface surface(300, 300);
    surface.SetPenColour(kRed);
    surface.PutText(text + std::string(1, '\0') + "ignored", {0, 0}, c.heading);
    QRect bounds;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 300; ++x)
        if (surface.VisibleLayer().pixel(x, y) == PixelOf(kRed)) bounds |= QRect(x, y, 1, 1);
    ASSERT_FALSE(bounds.isEmpty());
    EXPECT_EQ(bounds.width() > bounds.height(), c.wide);
    EXPECT_EQ(bounds.bottom() < 150, c.above_anchor);
    EXPECT_GE(bounds.left(), 150 - 2);
    // Both characters are drawn: about 48 pixels along the text.
    EXPECT_GE(std::max(bounds.width(), bounds.height()), 40);
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
      for (int x = bounds.left(); x <= bounds.right(); ++x) {
        if (surface.VisibleLayer().pixel(x, y) == PixelOf(kRed)) {
          ASSERT_EQ(surface.InkLayer().pixel(x, y), PixelOf(kRed));
        }
      }
    }
  }
}

TEST_F(RasterSurfaceTest, BackgroundPictureModesPlaceThePicture) {
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(PixelOf(0x00FF00));
  struct Case {
    int mode;
    QPoint green, background;
  } cases[] = {{0, {0, 0}, {100, 50}},
               {1, {199, 99}, {-1, -1}},
               {2, {199, 99}, {-1, -1}},
               {3, {100, 50}, {0, 0}},
               {99, {0, 0}, {100, 50}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    surface_.SetBackgroundPicture(picture, c.mode);
    surface_.DrawSegment({-100, -49}, {-90, -49});
    surface_.RefreshBackground();
    EXPECT_EQ(VisibleAt(c.green.x(), c.green.y()), 0x00FF00u);
    if (c.background.x() >= 0) {
      EXPECT_EQ(VisibleAt(c.background.x(), c.background.y()), 0xFFFFFFu);
    }
    EXPECT_EQ(VisibleAt(0, 99), kRed);  // the drawing stays on top
  }
  surface_.SetBackgroundPicture(QImage(), 0);
  surface_.RefreshBackground();
  EXPECT_EQ(VisibleAt(0, 0), 0xFFFFFFu);
}

}  // namespace
}  // namespace dravel
