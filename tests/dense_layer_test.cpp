// The canvas painted for a screen of device pixel ratio 2: every item where
// the layers put it, at twice the pixels; text at every ratio the one
// setter's at that scale; a layer kept between paints equal to one painted
// from scratch; and at ratio 1 the widget showing exactly the logical frame.
#include "canvas/dense_layer.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <functional>
#include <memory>

#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/qt_pixels.h"
#include "canvas/text_setter.h"
#include "canvas/turtle_canvas.h"
#include "support/gbk_literals.h"

namespace dravel {
namespace {

constexpr int kWidth = 200, kHeight = 120;

// The box of the pixels of `image` that differ from its top-left corner's.
QRect DrawnBounds(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const QRgb background = rgb.pixel(0, 0);
  QRect bounds;
  for (int y = 0; y < rgb.height(); ++y) {
    for (int x = 0; x < rgb.width(); ++x) {
      if (rgb.pixel(x, y) != background) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

// A canvas as the window keeps it: the record for the dense paint, text set
// by Qt.
std::unique_ptr<CanvasCore> WindowCanvas() {
  std::unique_ptr<CanvasCore> core = CanvasCore::Create(kWidth, kHeight);
  core->Lock()->KeepRecord(true);
  core->Lock()->SetTextPainter(BundledTextPainter());
  return core;
}

QImage Frame(CanvasCore& core, DenseLayer& dense, double ratio) {
  return dense.Frame(*core.Lock(), ratio);
}

// How many of the pixels of `logical` that differ from its top-left corner's
// have none of the pixels of `dense` (at `ratio`) that they overlap differ
// from its corner's. A pixel the canvas inks is nearly half covered by the
// text's outline, so one of the pixels it overlaps at a higher density is
// too (one on average, for a ratio that is not whole): the same layout at a
// finer size misses none of it, a misplaced or missized one many.
int InkMissedAt(const QImage& logical, const QImage& dense, double ratio) {
  const QImage one = logical.convertToFormat(QImage::Format_RGB32);
  const QImage many = dense.convertToFormat(QImage::Format_RGB32);
  const auto ink = [](const QImage& image, int x, int y) {
    return image.pixel(x, y) != image.pixel(0, 0);
  };
  int missed = 0;
  for (int y = 0; y < one.height(); ++y) {
    for (int x = 0; x < one.width(); ++x) {
      if (!ink(one, x, y)) continue;
      bool found = false;
      for (int v = int(y * ratio); v < int(std::ceil((y + 1) * ratio)) && !found; ++v) {
        for (int u = int(x * ratio); u < int(std::ceil((x + 1) * ratio)) && !found; ++u)
          found = ink(many, u, v);
      }
      missed += !found;
    }
  }
  return missed;
}

bool Near(const QRect& dense, const QRect& logical, int slack) {
  const QRect doubled(logical.topLeft() * 2, logical.size() * 2);
  return std::abs(dense.left() - doubled.left()) <= slack &&
         std::abs(dense.top() - doubled.top()) <= slack &&
         std::abs(dense.right() - doubled.right()) <= slack &&
         std::abs(dense.bottom() - doubled.bottom()) <= slack;
}

TEST(DenseLayer, EveryItemLandsWhereTheLayersPutItAtTwiceThePixels) {
  struct Case {
    const char* name;
    std::function<void(TurtleOperations&)> draw;
    bool shown;
  };
  const Case cases[] = {
      {"line", [](TurtleOperations& t) { t.Forward(40); }, false},
      {"turned line", [](TurtleOperations& t) { t.TurnRight(30), t.Back(50); }, false},
      {"circle", [](TurtleOperations& t) { t.Circle(30); }, false},
      {"rectangle", [](TurtleOperations& t) { t.Rectangle(50, 20); }, false},
      {"wrapped line", [](TurtleOperations& t) { t.TurnRight(90), t.Forward(150); }, false},
      {"text", [](TurtleOperations& t) { t.TurnRight(90), t.WriteText(testing::Gbk("画图")); },
       false},
      {"turned text", [](TurtleOperations& t) { t.WriteText(testing::Gbk("画图")); }, false},
      {"sprite", [](TurtleOperations& t) { t.SetXY(-30, 20), t.TurnRight(45); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<CanvasCore> core = WindowCanvas();
    core->Lock()->SetEdgeMode(EdgeMode::Wrap);
    if (!c.shown) core->Turtle().Hide();
    c.draw(core->Turtle());
    DenseLayer layer;
    const QImage dense = Frame(*core, layer, 2);
    EXPECT_EQ(dense.size(), QSize(2 * kWidth, 2 * kHeight));
    EXPECT_EQ(dense.devicePixelRatio(), 2);
    const QRect logical = DrawnBounds(FrameImage(*core->Lock()));
    ASSERT_FALSE(logical.isEmpty());
    EXPECT_TRUE(Near(DrawnBounds(dense), logical, 3))
        << "dense " << DrawnBounds(dense).x() << "," << DrawnBounds(dense).y() << " "
        << DrawnBounds(dense).width() << "x" << DrawnBounds(dense).height();
  }
}

// The text setter's pixels for `text` at `scale`, inked on a layer of the
// dense size as the canvas inks them at scale 1.
QImage SetterPixels(const TextRequest& text, uint32_t background, uint32_t ink) {
  const TextFace* face = BundledFace();
  if (face == nullptr) return {};
  QImage layer(ScaledLength(text.layer_width, text.scale),
               ScaledLength(text.layer_height, text.scale), QImage::Format_RGB32);
  layer.fill(PixelOf(background));
  const TextMask mask = SetText(*face, text);
  for (int row = 0; row < mask.height; ++row) {
    for (int column = 0; column < mask.width; ++column) {
      if (mask.coverage[size_t(row * mask.width + column)] != 0)
        layer.setPixel(mask.left + column, mask.top + row, PixelOf(ink));
    }
  }
  return layer;
}

// At every ratio the window's canvas shows each text exactly as the one
// setter sets it at that scale, in the pen colour, over every pixel the
// canvas's own text inks.
TEST(DenseLayer, TextAtEveryRatioIsTheSettersAtThatScale) {
  struct Case {
    const char* name;
    double ratio;
    const char* utf8;
    double x, y, heading;
  };
  const Case cases[] = {
      {"upright, once: the canvas itself", 1, "画图 Dravel", -80, 30, 90},
      {"upright, twice", 2, "画图 Dravel", -80, 30, 90},
      {"upright, a quarter more", 1.25, "写文字", -60, 10, 90},
      {"an odd anchor at one and a half", 1.5, "画得清楚", -61, 11, 90},
      {"turned, twice", 2, "五角星", 0, 0, 60},
      {"upside down, three times", 3, "Ab字", 30, -20, 270},
      {"cut by the right edge", 2, "画得清清楚楚", 60, 0, 90},
      {"cut by the top, turned", 1.75, "写文字", -20, 55, 100},
  };
  constexpr uint32_t kBackground = 0x00E0F0FF, kInk = 0x00A02000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<CanvasCore> core = WindowCanvas();
    core->Lock()->SetBackgroundColour(kBackground);
    core->Lock()->SetPenColour(kInk);
    core->Turtle().Hide();
    core->Turtle().PenUp();
    core->Turtle().SetXY(c.x, c.y);
    core->Turtle().TurnRight(c.heading);
    const Text gbk = testing::Gbk(c.utf8);
    core->Turtle().WriteText(gbk);
    DenseLayer layer;
    const QImage dense = Frame(*core, layer, c.ratio).convertToFormat(QImage::Format_RGB32);
    const TextRequest text{gbk,
                           int(kWidth / 2 + c.x),
                           int(kHeight / 2 - c.y),
                           int(450 - c.heading) * 10,
                           kWidth,
                           kHeight,
                           c.ratio};
    const QImage expected = SetterPixels(text, kBackground, kInk);
    ASSERT_FALSE(expected.isNull()) << "the bundled font is missing";
    EXPECT_EQ(dense, expected);
    EXPECT_EQ(InkMissedAt(FrameImage(*core->Lock()), dense, c.ratio), 0);
  }
}

TEST(DenseLayer, APenLineIsItsWidthInLogicalPixels) {
  const std::unique_ptr<CanvasCore> core = WindowCanvas();
  core->Turtle().Hide();
  core->Turtle().Forward(40);  // up from the centre, one pixel wide
  DenseLayer layer;
  const QImage dense = Frame(*core, layer, 2).convertToFormat(QImage::Format_RGB32);
  const QRgb background = dense.pixel(0, 0);
  int covered = 0;
  for (int x = 0; x < dense.width(); ++x) covered += dense.pixel(x, kHeight - 40) != background;
  EXPECT_EQ(covered, 2);
}

// Two canvases that drew the same, one painted after every step: the kept
// layer must end as the one painted once.
TEST(DenseLayer, AKeptLayerEqualsOnePaintedFromScratch) {
  const std::function<void(CanvasCore&)> steps[] = {
      [](CanvasCore& c) { c.Turtle().Forward(30); },
      [](CanvasCore& c) { c.Turtle().WriteText(testing::Gbk("字")); },
      [](CanvasCore& c) {
        c.Lock()->SetPenWidth(5);
        c.Turtle().TurnLeft(120), c.Turtle().Forward(60);
      },
      [](CanvasCore& c) { c.Lock()->SetBackgroundColour(0x00FF8000); },
      [](CanvasCore& c) { c.Turtle().Clear(), c.Turtle().Circle(20); },
      [](CanvasCore& c) {
        c.Lock()->SetBackgroundPicture({16, 16, std::vector<uint32_t>(256, qRgb(255, 255, 0))});
        c.Lock()->SetPictureMode(2);
      },
      [](CanvasCore& c) { c.Turtle().Forward(25); },
  };
  const std::unique_ptr<CanvasCore> kept = WindowCanvas();
  DenseLayer kept_layer;
  kept->Turtle().Hide();
  for (const auto& step : steps) {
    step(*kept);
    Frame(*kept, kept_layer, 2);
  }
  const std::unique_ptr<CanvasCore> fresh = WindowCanvas();
  fresh->Turtle().Hide();
  for (const auto& step : steps) step(*fresh);
  DenseLayer fresh_layer;
  EXPECT_EQ(Frame(*kept, kept_layer, 2), Frame(*fresh, fresh_layer, 2));
  EXPECT_NE(Frame(*kept, kept_layer, 2),
            Frame(*kept, kept_layer, 3).scaled(2 * kWidth, 2 * kHeight))
      << "a new ratio paints anew";
  EXPECT_EQ(Frame(*kept, kept_layer, 3).size(), QSize(3 * kWidth, 3 * kHeight));
}

TEST(DenseLayer, AtRatioOneTheWidgetShowsTheLogicalFrameExactly) {
  std::unique_ptr<TurtleCanvas> canvas(TurtleCanvas::Create({}, nullptr, QRect(0, 0, 160, 90)));
  ASSERT_NE(canvas, nullptr);
  ASSERT_EQ(canvas->devicePixelRatioF(), 1);
  canvas->Core().Turtle().Circle(25);
  canvas->Core().Turtle().WriteText(testing::Gbk("字"));
  const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, FrameImage(*canvas->Core().Lock()));
}

}  // namespace
}  // namespace dravel
