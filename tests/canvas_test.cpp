// The one canvas, on its own (no Qt): line ends and widths, clipping
// far-out lines, the key colour, background changes, text masks, sprites and
// their animation, snapshots, the record kept only when asked, checkpoints,
// and layers that cannot be had.
#include "canvas/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

namespace dravel {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr int kWidth = 200, kHeight = 100;

using Pixels = std::set<std::pair<int, int>>;

std::unique_ptr<Canvas> NewCanvas(int width = kWidth, int height = kHeight) {
  std::unique_ptr<Canvas> canvas = Canvas::Create(width, height);
  EXPECT_NE(canvas, nullptr);
  canvas->SetPenColour(kRed);
  canvas->SetEdgeMode(EdgeMode::Unbounded);
  canvas->Turtle().Hide();
  return canvas;
}

uint32_t At(const PixelView& layer, int x, int y) {
  return ColourOf(layer.pixels[ptrdiff_t(y) * layer.stride + x]);
}

// Pixels of the visible layer that are not the background colour.
Pixels Drawn(const Canvas& canvas) {
  Pixels drawn;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (At(canvas.VisibleLayer(), x, y) != canvas.BackgroundColour()) drawn.insert({x, y});
  return drawn;
}

// One pen line from `from` to `to`, as the model draws a move in Unbounded.
void Line(Canvas& canvas, TurtlePoint from, TurtlePoint to) {
  TurtleOperations& turtle = canvas.Turtle();
  turtle.PenUp();
  turtle.SetXY(from.x, from.y);
  turtle.PenDown();
  turtle.SetXY(to.x, to.y);
}

// Bresenham's pixels from a to b, start included and end excluded, unclipped.
Pixels ReferenceLine(int x0, int y0, int x1, int y1) {
  Pixels pixels;
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

TEST(CanvasLines, OnePixelLinesAreBresenhamsFromTheStartUpToTheEnd) {
  struct Case {
    TurtlePoint from, to;
  } cases[] = {{{0, 0}, {10, 0}},        {{0, 0}, {0, 10}},        {{0, 0}, {-7, -7}},
               {{3, 2}, {-20, 9}},       {{-5, 30}, {2, -30}},     {{-300, -17}, {300, 45}},
               {{250, 80}, {-90, -120}}, {{-1000, 1}, {1000, -1}}, {{0, -500}, {3, 500}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.from.x << "," << c.from.y << " " << c.to.x << "," << c.to.y);
    auto canvas = NewCanvas();
    Line(*canvas, c.from, c.to);
    Pixels expected;
    for (auto p : ReferenceLine(100 + int(c.from.x), 50 - int(c.from.y), 100 + int(c.to.x),
                                50 - int(c.to.y)))
      if (p.first >= 0 && p.first < kWidth && p.second >= 0 && p.second < kHeight)
        expected.insert(p);
    EXPECT_EQ(Drawn(*canvas), expected);
  }
}

TEST(CanvasLines, SaturatedEndsHalfPixelsAndSamePixelEnds) {
  auto canvas = NewCanvas();
  Line(*canvas, {5, 5}, {5.4, 4.6});
  EXPECT_TRUE(Drawn(*canvas).empty());
  EXPECT_EQ(canvas->LinesDrawn(), 0u);
  Line(*canvas, {-1e300, 0}, {1e300, 0});
  for (int x = 0; x < kWidth; ++x) EXPECT_EQ(At(canvas->VisibleLayer(), x, 50), kRed) << x;
  canvas->Turtle().Clear();
  Line(*canvas, {0.5, -0.5}, {20.5, -0.5});
  EXPECT_EQ(At(canvas->VisibleLayer(), 101, 51), kRed);
  EXPECT_NE(At(canvas->VisibleLayer(), 100, 50), kRed);
  Line(*canvas, {-0.5, 0.5}, {-0.5, 20.5});
  EXPECT_EQ(At(canvas->VisibleLayer(), 99, 49), kRed);
}

// Every pixel whose centre lies within half the width of the segment between
// the end pixels' centres: round ends, no blending, both layers.
TEST(CanvasLines, WidePensAreCapsulesAroundPixelCentres) {
  auto canvas = NewCanvas();
  canvas->SetPenWidth(3);
  Line(*canvas, {-20, 0}, {20, 0});
  int thickness = 0;
  for (int y = 0; y < kHeight; ++y) thickness += At(canvas->VisibleLayer(), 100, y) == kRed;
  EXPECT_EQ(thickness, 3);
  EXPECT_EQ(At(canvas->InkLayer(), 121, 50), kRed);  // the end pixel, then round
  EXPECT_NE(At(canvas->InkLayer(), 122, 50), kRed);
  EXPECT_NE(At(canvas->InkLayer(), 121, 48), kRed);

  canvas->Turtle().Clear();
  canvas->SetPenWidth(9);
  Line(*canvas, {0, 0}, {0, 30});
  EXPECT_EQ(At(canvas->InkLayer(), 100, 54), kRed);  // 4.5 below the start: in
  EXPECT_NE(At(canvas->InkLayer(), 104, 54), kRed);  // a corner of the square: out
  for (auto [x, y] : Drawn(*canvas)) ASSERT_EQ(At(canvas->VisibleLayer(), x, y), kRed);
  Line(*canvas, {0, -1e300}, {0, 1e300});
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 0), kRed);
}

// Every pixel whose centre lies within `width` / 2 of the segment between the
// end pixels' centres, pixel by pixel.
Pixels ReferenceCapsule(int x0, int y0, int x1, int y1, int width) {
  Pixels pixels;
  const double dx = x1 - x0, dy = y1 - y0, half = width / 2.0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      const double ex = x - x0 - t * dx, ey = y - y0 - t * dy;
      if (ex * ex + ey * ey <= half * half) pixels.insert({x, y});
    }
  return pixels;
}

// The layers fill each row's run of the capsule at once; the run must hold
// exactly the pixels the rule gives, at every angle, width and clipping.
TEST(CanvasLines, WidePensCoverExactlyTheCapsulesPixels) {
  struct Case {
    TurtlePoint from, to;
    int width;
  } cases[] = {{{0, 0}, {30, 0}, 2},      {{0, 0}, {0, 30}, 3},     {{-40, -20}, {35, 27}, 4},
               {{10, 45}, {-90, 60}, 9},  {{5, 5}, {6, 7}, 50},     {{-300, 10}, {300, -12}, 7},
               {{0, -500}, {3, 500}, 12}, {{99, 49}, {101, 51}, 5}, {{-150, 80}, {150, -80}, 33}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " " << c.to.x << "," << c.to.y
                                    << " width " << c.width);
    auto canvas = NewCanvas();
    canvas->SetPenWidth(c.width);
    Line(*canvas, c.from, c.to);
    EXPECT_EQ(Drawn(*canvas), ReferenceCapsule(100 + int(c.from.x), 50 - int(c.from.y),
                                               100 + int(c.to.x), 50 - int(c.to.y), c.width));
  }
}

TEST(CanvasPen, WidthsOutOfRangeBecomeOneAndTheKeyColourIsRaised) {
  auto canvas = NewCanvas();
  for (int width : {0, -3, 65535}) {
    canvas->SetPenWidth(width);
    EXPECT_EQ(canvas->PenWidth(), 1);
  }
  canvas->SetPenWidth(65534);
  EXPECT_EQ(canvas->PenWidth(), 65534);
  canvas->SetPenWidth(1);
  canvas->SetPenColour(kKeyColour);
  EXPECT_EQ(canvas->PenColour(), kKeyColour);  // kept as set
  Line(*canvas, {0, 0}, {10, 0});
  EXPECT_EQ(At(canvas->InkLayer(), 100, 50), 0x3F2B22u);
  canvas->SetBackgroundColour(0x123456);
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 50), 0x3F2B22u);
  EXPECT_EQ(At(canvas->VisibleLayer(), 0, 0), 0x123456u);
}

TEST(CanvasBackground, TheDrawingSurvivesChangesAndAClearRemovesIt) {
  auto canvas = NewCanvas();
  Line(*canvas, {0, 0}, {10, 0});
  for (uint32_t colour : {0x606060u, 0xFFFFFFu, 0x606060u}) canvas->SetBackgroundColour(colour);
  canvas->SetBackgroundPicture({2, 1, {0xFF00FF00u, 0xFF00FF00u}});
  canvas->SetPictureMode(2);  // tiled over the whole layer
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 50), kRed);
  EXPECT_EQ(At(canvas->VisibleLayer(), 99, 50), 0x00FF00u);
  canvas->SetBackgroundPicture({});
  EXPECT_EQ(At(canvas->VisibleLayer(), 99, 50), 0x606060u);
  canvas->Turtle().Clear();
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 50), 0x606060u);
  EXPECT_EQ(At(canvas->InkLayer(), 100, 50), kKeyColour);
}

TEST(CanvasText, ThePainterIsAskedAtTheAnchorAndItsMaskIsInked) {
  auto canvas = NewCanvas();
  std::vector<TextRequest> asked;
  std::vector<std::string> texts;  // the requests' views end with the call
  canvas->SetTextPainter([&](const TextRequest& text) {
    asked.push_back(text);
    texts.emplace_back(text.gbk_text);
    // A 4 x 2 box, one covered pixel at its top-left, reaching past the
    // layer's right edge.
    TextMask mask{text.x, text.y, 4, 2, {1, 0, 0, 1, 0, 0, 0, 0}, 20};
    return mask;
  });
  canvas->Turtle().PenUp();
  canvas->Turtle().SetXY(10, 20);
  canvas->Turtle().TurnRight(90);
  canvas->Turtle().WriteText("\xc4\xe3\xba\xc3");
  canvas->Turtle().SetXY(97, 0);
  canvas->Turtle().WriteText("x");
  ASSERT_EQ(asked.size(), 2u);
  // The anchor in pixels from the top-left, the heading as escapement in
  // tenths of a degree anticlockwise from the x axis, the layer's size.
  EXPECT_EQ(asked[0].x, 110);
  EXPECT_EQ(asked[0].y, 30);
  EXPECT_EQ(asked[0].escapement, 3600);
  EXPECT_EQ(asked[0].layer_width, kWidth);
  EXPECT_EQ(texts[0], "\xc4\xe3\xba\xc3");
  EXPECT_EQ(Drawn(*canvas), (Pixels{{110, 30}, {113, 30}, {197, 50}}));
  EXPECT_EQ(At(canvas->InkLayer(), 110, 30), kRed);
}

TEST(CanvasText, AMaskThatDoesNotHoldItsBoxIsLeftOut) {
  auto canvas = NewCanvas();
  canvas->SetTextPainter([](const TextRequest& text) {
    return TextMask{text.x, text.y, 3, 3, std::vector<uint8_t>(8, 1), 20};
  });
  canvas->Turtle().WriteText("x");
  EXPECT_TRUE(Drawn(*canvas).empty());
}

// The box every painter sets its text in: half a line around the turned
// text, in whole pixels, within the layer.
TEST(CanvasText, TheTurnedBoxHoldsTheTextWithinTheLayer) {
  const struct {
    const char* name;
    TextRequest request;
    double advance;
    TextBox box;
  } kCases[] = {
      {"level, inside", {"", 100, 50, 0, 732, 420}, 48, {84, 34, 80, 64}},
      {"a fraction of a pixel wide", {"", 100, 50, 0, 732, 420}, 47.5, {84, 34, 80, 64}},
      {"cut at the top-left corner", {"", 5, 5, 0, 732, 420}, 48, {0, 0, 69, 53}},
      {"cut at the bottom-right corner", {"", 720, 410, 0, 732, 420}, 48, {704, 394, 28, 26}},
      {"turned a quarter anticlockwise", {"", 100, 100, 900, 732, 420}, 48, {84, 36, 64, 80}},
      {"off the layer", {"", 800, 500, 0, 732, 420}, 48, {}},
      {"far longer than the layer", {"", 0, 0, 0, 732, 420}, 1e12, {0, 0, 732, 48}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const TextBox box = TurnedTextBox(c.request, c.advance, 32);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.width, c.box.width);
    EXPECT_EQ(box.height, c.box.height);
  }
}

TEST(CanvasSnapshot, RestoresTheDrawingAndTheTurtlesExactly) {
  auto canvas = NewCanvas();
  canvas->SetPenWidth(9);
  canvas->Turtle().Forward(30);
  canvas->Turtle().TurnRight(90);
  canvas->Turtle().Forward(40);
  auto copy = NewCanvas();
  ASSERT_TRUE(copy->Restore(canvas->Snapshot()));
  EXPECT_EQ(PixelImage::Of(copy->VisibleLayer()).pixels,
            PixelImage::Of(canvas->VisibleLayer()).pixels);
  EXPECT_EQ(copy->StateOf().heading, 90);
  EXPECT_EQ(copy->StateOf().x, 40);
  EXPECT_EQ(copy->LinesDrawn(), 2u);
  EXPECT_FALSE(NewCanvas(kWidth + 1)->Restore(canvas->Snapshot()));
  EXPECT_FALSE(copy->Restore("DRVSNAP2 but cut short"));
  EXPECT_EQ(copy->StateOf().x, 40);
}

// A size that cannot be had used to give layers of no memory that the next
// line wrote into.
TEST(CanvasLayers, ASizePastTheBoundIsRefusedAndAResizeKeepsTheOldLayers) {
  EXPECT_EQ(Canvas::Create(1 << 16, 1 << 12), nullptr);
  EXPECT_NE(Canvas::Create(0, -5), nullptr);  // made 1 x 1
  auto canvas = NewCanvas();
  canvas->Turtle().Forward(20);
  EXPECT_FALSE(canvas->Resize(1 << 14, 1 << 14));
  EXPECT_EQ(canvas->Width(), kWidth);
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 45), kRed);
  EXPECT_EQ(canvas->StateOf().y, 20);
  ASSERT_TRUE(canvas->Resize(300, 120));
  EXPECT_EQ(canvas->Width(), 300);
  EXPECT_EQ(canvas->StateOf().y, 0);
  EXPECT_TRUE(Drawn(*canvas).empty());
}

TEST(CanvasRecord, KeptOnlyWhenAskedAndTheLineCountWithoutIt) {
  auto canvas = NewCanvas();
  canvas->Turtle().Forward(20);
  EXPECT_EQ(canvas->Record(), nullptr);
  EXPECT_TRUE(canvas->Drawing().record.Incomplete());
  EXPECT_FALSE(canvas->Drawing().visible_layer.Empty());
  canvas->KeepRecord(true);
  EXPECT_TRUE(canvas->Record()->Incomplete()) << "begun after a line was drawn";
  canvas->Turtle().Clear();
  canvas->Turtle().Forward(20);
  canvas->Turtle().Forward(0.2);  // on the same pixel: not a line
  EXPECT_FALSE(canvas->Record()->Incomplete());
  EXPECT_EQ(canvas->Record()->Lines().size(), 1u);
  EXPECT_EQ(canvas->LinesDrawn(), 1u);
  EXPECT_TRUE(canvas->Drawing().visible_layer.Empty());
}

// A checkpoint that says stop once ends the operation, and nothing more of
// it is drawn even where the model goes on (a rectangle's later sides).
TEST(CanvasCheckpoint, AStopEndsTheOperationAndRefusesTheNext) {
  auto canvas = NewCanvas();
  int asked = 0;
  bool stop = false;
  canvas->SetCheckpoint([&] {
    ++asked;
    return !std::exchange(stop, false);
  });
  stop = true;
  canvas->Turtle().Forward(10);  // refused before it starts
  EXPECT_TRUE(Drawn(*canvas).empty());
  canvas->Turtle().Rectangle(40, 20);
  EXPECT_FALSE(Drawn(*canvas).empty());
  canvas->Turtle().Clear();
  asked = 0;
  canvas->SetCheckpoint([&] { return ++asked != 3; });
  canvas->Turtle().Rectangle(40, 20);
  EXPECT_TRUE(Drawn(*canvas).empty());
}

// Whether `frame` shows `sprite`'s opaque pixels with its top-left at `at`.
bool ShowsSprite(const std::vector<uint32_t>& frame, const PixelImage& sprite, int left, int top) {
  for (int y = 0; y < sprite.height; ++y)
    for (int x = 0; x < sprite.width; ++x) {
      const uint32_t pixel = sprite.pixels[size_t(y * sprite.width + x)];
      if (pixel != kWhitePixel && frame[size_t((top + y) * kWidth + left + x)] != pixel)
        return false;
    }
  return true;
}

TEST(CanvasSprites, PaintShowsEachSlotsFrameTurnedAndCentredOnItsTurtle) {
  auto canvas = NewCanvas();
  canvas->Turtle().Show();
  const PixelImage& frame = BuiltInSprites(1)[0];  // 20 x 25
  EXPECT_TRUE(ShowsSprite(canvas->Paint(), frame, 100 - 10, 50 - 12));
  canvas->Turtle().TurnRight(90);
  EXPECT_TRUE(ShowsSprite(canvas->Paint(), TurnPixels(frame, 90), 100 - 12, 50 - 10));
  EXPECT_EQ(At(canvas->VisibleLayer(), 100, 50), 0xFFFFFFu);  // not in the layer
  canvas->SelectTurtle(1);
  canvas->SetImageSet(1, 6);  // the car, 28 x 40
  canvas->Turtle().SetXY(-50, 0);
  EXPECT_TRUE(ShowsSprite(canvas->Paint(), BuiltInSprites(6)[0], 50 - 14, 50 - 20));
  canvas->Turtle().Hide();
  canvas->SelectTurtle(0);
  canvas->Turtle().Hide();
  EXPECT_EQ(canvas->Paint(), PixelImage::Of(canvas->VisibleLayer()).pixels);
  canvas->SetPreview(true);  // slot 20 alone, at the centre
  EXPECT_TRUE(ShowsSprite(canvas->Paint(), frame, 100 - 10, 50 - 12));
}

// A picture is encoded from row pointers into the layer, with only the rows
// the sprites reach painted apart; rows nothing drew on are never written out.
TEST(CanvasSprites, FrameRowsGiveWhatPaintGivesAtEveryPlace) {
  struct Case {
    TurtlePoint at;
    double turn;
    bool shown;
  } cases[] = {{{0, 0}, 0, true},   {{-95, 45}, 30, true}, {{90, -48}, 135, true},
               {{0, 70}, 90, true}, {{0, -80}, 45, true},  {{0, 1e9}, 10, true},
               {{20, 10}, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y << " turned " << c.turn);
    auto canvas = NewCanvas();
    canvas->SetBackgroundColour(0x405060);
    Line(*canvas, {-30, 5}, {30, 8});
    canvas->Turtle().SetXY(c.at.x, c.at.y);
    canvas->Turtle().TurnRight(c.turn);
    if (c.shown) canvas->Turtle().Show();
    for (bool with_turtles : {true, false}) {
      LayerPixels scratch;
      const std::vector<const uint32_t*> rows = canvas->FrameRows(with_turtles, scratch);
      const std::vector<uint32_t> expected =
          with_turtles ? canvas->Paint() : PixelImage::Of(canvas->VisibleLayer()).pixels;
      ASSERT_EQ(rows.size(), size_t(kHeight));
      for (int y = 0; y < kHeight; ++y) {
        ASSERT_TRUE(std::equal(rows[size_t(y)], rows[size_t(y)] + kWidth,
                               expected.begin() + ptrdiff_t(y) * kWidth))
            << "row " << y << (with_turtles ? " with turtles" : "");
      }
    }
  }
}

TEST(CanvasSprites, FramesStepForVisibleSlotsAndOnlyWhenTheShownSlotHasFrames) {
  auto canvas = NewCanvas();
  canvas->Turtle().Show();
  int repaints = 0;
  canvas->SetRepaintCallback([&] { ++repaints; });
  for (int expected : {1, 2, 3, 0, 1}) {
    canvas->AdvanceFrames();
    EXPECT_EQ(canvas->Frame(0), expected);
  }
  canvas->Turtle().Hide();
  canvas->AdvanceFrames();
  EXPECT_EQ(canvas->Frame(0), 1);
  canvas->SetFrame(0, 3);
  EXPECT_EQ(canvas->Frame(0), 3);
  canvas->SetFrame(0, 4);
  EXPECT_EQ(canvas->Frame(0), 0);
  canvas->SetImageSet(0, 0);  // own frames, none given
  EXPECT_EQ(canvas->FrameCount(0), 0);
  repaints = 0;
  canvas->AdvanceFrames();
  EXPECT_EQ(repaints, 0);
  canvas->SetOwnFrames(0, SplitStrip({50, 1, std::vector<uint32_t>(50, 0xFF000000u)}, 20));
  EXPECT_EQ(canvas->FrameCount(0), 2);  // a last partial frame is dropped
  canvas->SetImageSet(0, 42);
  EXPECT_EQ(canvas->ImageSet(0), 1);
}

TEST(CanvasSprites, EveryBuiltInImageSetHasItsFrames) {
  struct Case {
    int set, width, height, count;
  } cases[] = {{1, 20, 25, 4}, {2, 32, 29, 10}, {3, 32, 36, 3}, {4, 29, 37, 6},
               {5, 29, 37, 6}, {6, 28, 40, 2},  {7, 25, 18, 3}, {8, 38, 36, 2},
               {9, 25, 30, 3}, {10, 39, 56, 2}, {0, 20, 25, 4}, {11, 20, 25, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    const SpriteFrames& frames = BuiltInSprites(c.set);
    ASSERT_EQ(int(frames.size()), c.count);
    for (const PixelImage& frame : frames) {
      EXPECT_EQ(frame.width, c.width);
      EXPECT_EQ(frame.height, c.height);
      EXPECT_EQ(frame.pixels[0], kWhitePixel);  // white corners: see-through
    }
    EXPECT_NE(frames[0].pixels, frames[1].pixels);  // animated
  }
}

}  // namespace
}  // namespace dravel
