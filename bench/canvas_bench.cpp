// The canvas without a window: the turtle model drawing through the plain
// canvas shared as the window shares it (CanvasCore) on the three workloads
// of a typical script, the same with the drawing record the window keeps,
// wide pens, composing one frame with a sprite, the dense layer of a screen
// of ratio 2, and the PNG encoder.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>

#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/dense_layer.h"
#include "canvas/png_encoder.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr int kWidth = 732, kHeight = 420;

std::unique_ptr<CanvasCore> WrapCanvas(bool record) {
  std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(kWidth, kHeight);
  canvas->Lock()->SetEdgeMode(EdgeMode::Wrap);
  canvas->Lock()->KeepRecord(record);
  return canvas;
}

// 100,000 moves of one pixel, turning a degree after each; with the record
// the window keeps (1) or without (0).
void BM_SmallMoves(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(state.range(0) != 0);
  for (auto _ : state) {
    for (int i = 0; i < 100000; ++i) {
      canvas->Turtle().Forward(1);
      canvas->Turtle().TurnRight(1);
    }
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_SmallMoves)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// 20,000 lines of 100 pixels drawn as a star, with pens 1 and 5 wide.
void BM_StarLines(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  canvas->Lock()->SetPenWidth(int(state.range(0)));
  for (auto _ : state) {
    for (int i = 0; i < 20000; ++i) {
      canvas->Turtle().Forward(100);
      canvas->Turtle().TurnRight(144);
    }
  }
  state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(BM_StarLines)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// 200 circles of radius 100 (180 chords each).
void BM_Circles(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  for (auto _ : state) {
    for (int i = 0; i < 200; ++i) {
      canvas->Turtle().Circle(100);
      canvas->Turtle().TurnRight(1.8);
    }
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_Circles)->Unit(benchmark::kMillisecond);

// One composed frame of the whole canvas with one turned sprite.
void BM_PaintFrame(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  canvas->Turtle().TurnRight(30);
  canvas->Turtle().Circle(150);
  for (auto _ : state) benchmark::DoNotOptimize(canvas->Lock()->Paint());
}
BENCHMARK(BM_PaintFrame)->Unit(benchmark::kMicrosecond);

// A frame at device pixel ratio 2 once the layer is up to date: a copy of
// the dense layer and the sprite.
void BM_PaintDenseFrame(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  canvas->Turtle().TurnRight(30);
  canvas->Turtle().Circle(150);
  DenseLayer dense;
  dense.Frame(*canvas->Lock(), 2);
  for (auto _ : state) benchmark::DoNotOptimize(dense.Frame(*canvas->Lock(), 2));
}
BENCHMARK(BM_PaintDenseFrame)->Unit(benchmark::kMicrosecond);

// The dense layer painted from scratch for the most items it paints (lines
// of 100 pixels, or of 1), as after a change of the background.
void BM_PaintDenseFromScratch(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  canvas->Turtle().Hide();
  const double length = double(state.range(0));
  const double turn = length > 1 ? 144 : 1;
  while (canvas->Lock()->Record()->Lines().size() < DenseLayer::kMaxItems - 1000) {
    for (int i = 0; i < 1000; ++i) {
      canvas->Turtle().Forward(length);
      canvas->Turtle().TurnRight(turn);
    }
  }
  DenseLayer dense;
  uint32_t colour = 0;
  for (auto _ : state) {
    canvas->Lock()->SetBackgroundColour(++colour & 0xFF);  // a new background paints anew
    benchmark::DoNotOptimize(dense.Frame(*canvas->Lock(), 2));
  }
  state.SetItemsProcessed(state.iterations() * DenseLayer::kMaxItems);
}
BENCHMARK(BM_PaintDenseFromScratch)->Arg(100)->Arg(1)->Unit(benchmark::kMillisecond);

// The dense layer painted from scratch for the w6 workload's 2,000 texts,
// turned 7 degrees apart, each set again at twice the size.
void BM_PaintDenseTexts(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(true);
  canvas->Lock()->SetTextPainter(BundledTextPainter());
  canvas->Turtle().Hide();
  const std::string text = Utf8ToGbk("画图");
  for (int i = 0; i < 2000; ++i) {
    canvas->Turtle().WriteText(text);
    canvas->Turtle().TurnRight(7);
  }
  DenseLayer dense;
  uint32_t colour = 0;
  for (auto _ : state) {
    canvas->Lock()->SetBackgroundColour(++colour & 0xFF);  // a new background paints anew
    benchmark::DoNotOptimize(dense.Frame(*canvas->Lock(), 2));
  }
  state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_PaintDenseTexts)->Unit(benchmark::kMillisecond);

// The PNG of the w1 spiral's picture (a palette of two colours).
void BM_PngOfSpiral(benchmark::State& state) {
  const std::unique_ptr<CanvasCore> canvas = WrapCanvas(false);
  canvas->Lock()->SetPenColour(0x00FF00);
  canvas->Lock()->SetBackgroundColour(0x606060);
  for (int i = 0; i < 100000; ++i) {
    canvas->Turtle().Forward(1);
    canvas->Turtle().TurnRight(1);
  }
  const PixelImage picture = PixelImage::Of(canvas->Lock()->VisibleLayer());
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        EncodePng(picture.pixels.data(), picture.width, picture.height, picture.width));
  }
}
BENCHMARK(BM_PngOfSpiral)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
