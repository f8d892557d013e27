// The folder mode's score on a class of 40 pupils at 732 x 420: each pupil's
// drawing made ready (drawn pixels, distances, pieces) and matched against
// a reference made ready once, in each mode; the reference's own
// preparation; the overlay of one pupil. The pupils are the star class of
// tests/data/star in turn, drawn once on the plain canvas before timing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "canvas/window_look.h"
#include "marking/drawing_match.h"
#include "marking/match_overlay.h"
#include "runtime/file_bytes.h"
#include "support/script_pixels.h"

namespace dravel {
namespace {

constexpr int kPupils = 40;

PixelImage Drawn(const std::filesystem::path& script) {
  const ByteSet bytes = TryReadFileBytes(script.string()).bytes;
  return testing::ScriptPixels(std::string(bytes.begin(), bytes.end()));
}

struct StarClass {
  PixelImage reference;
  std::vector<PixelImage> pupils;
};

const StarClass& Class() {
  static const StarClass kClass = [] {
    StarClass drawn{Drawn(std::filesystem::path(DRAVEL_STAR_CLASS) / "reference.dvg"), {}};
    std::vector<std::filesystem::path> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(DRAVEL_STAR_CLASS)) {
      if (entry.path().filename() != "reference.dvg") scripts.push_back(entry.path());
    }
    std::sort(scripts.begin(), scripts.end());
    for (int i = 0; i < kPupils; ++i) drawn.pupils.push_back(Drawn(scripts[i % scripts.size()]));
    return drawn;
  }();
  return kClass;
}

// The whole class's scores, as the folder mode gives them one child each.
void BM_ScoreClass(benchmark::State& state) {
  const MatchMode mode = MatchMode(state.range(0));
  const DrawnShape reference(Class().reference.View(), kWindowBackgroundColour);
  for (auto _ : state) {
    for (const PixelImage& pupil : Class().pupils) {
      const DrawnShape drawing(pupil.View(), kWindowBackgroundColour);
      benchmark::DoNotOptimize(MatchDrawing(reference, drawing, mode).score);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPupils);
}
BENCHMARK(BM_ScoreClass)
    ->ArgName("mode")
    ->Arg(int(MatchMode::kPlaced))
    ->Arg(int(MatchMode::kExact))
    ->Arg(int(MatchMode::kAnySize))
    ->Unit(benchmark::kMillisecond);

void BM_PrepareReference(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawnShape(Class().reference.View(), kWindowBackgroundColour));
  }
}
BENCHMARK(BM_PrepareReference)->Unit(benchmark::kMillisecond);

// The pupil with the sky and the meadow, the most drawn pixels of the class.
void BM_Overlay(benchmark::State& state) {
  const DrawnShape reference(Class().reference.View(), kWindowBackgroundColour);
  const PixelImage pupil = Drawn(std::filesystem::path(DRAVEL_STAR_CLASS) / "sky-and-grass.dvg");
  const DrawnShape drawing(pupil.View(), kWindowBackgroundColour);
  const DrawingMatch match = MatchDrawing(reference, drawing, MatchMode::kPlaced);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        MatchOverlay(reference, drawing, match, kWindowPenColour, kWindowBackgroundColour));
  }
}
BENCHMARK(BM_Overlay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dravel

BENCHMARK_MAIN();
