// Commands per second of the interpreter on the shared workloads, with the
// canvas as the window sets it up and with a turtle that does nothing, and the stop
// latency: the time from StopRun to the run's last effect while the run is in
// a long delay, a long repeat, a huge circle or moves that wrap many times.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "bench/workloads.h"
#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/window_look.h"
#include "interpreter/command_list.h"
#include "interpreter/run_driver.h"
#include "runtime/gbk_codec.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

using bench::Workload;

using Clock = std::chrono::steady_clock;

// A host that stamps the time of the last effect of a run not stopped.
class TimingHost final : public testing::ScriptHost {
 public:
  explicit TimingHost(Text script) : ScriptHost(std::move(script)) {
    on_effect = [this](const Text&) {
      last_effect_ = Clock::now();
      started_ = true;
    };
  }
  Clock::time_point LastEffect() {
    Clock::time_point at;
    UnderEffectsLock([&] { at = last_effect_; });
    return at;
  }
  bool Started() const { return started_.load(); }

 private:
  Clock::time_point last_effect_;
  std::atomic<bool> started_{false};
};

// As the window has it: the record kept for its exports, text set by Qt.
std::unique_ptr<CanvasCore> MainWindowCanvas() {
  std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(732, 420);
  canvas->Turtle().Clear();
  SetWindowLook(*canvas->Lock(), EdgeMode::Wrap);
  canvas->Lock()->KeepRecord(true);
  canvas->Lock()->SetTextPainter(BundledTextPainter());
  return canvas;
}

void RunOnce(const Text& script, TurtleOperations& turtle) {
  testing::ScriptHost host(script);
  RunContext context{turtle, host, {}};
  RunScript({script, "1"}, context);
}

void BM_NullTurtle(benchmark::State& state, const char* workload) {
  const Text script = Workload(workload);
  int64_t commands = 0;
  for (auto _ : state) {
    testing::CountingTurtle turtle;  // draws nothing
    RunOnce(script, turtle);
    commands += turtle.Count();
  }
  state.counters["commands/s"] =
      benchmark::Counter(static_cast<double>(commands), benchmark::Counter::kIsRate);
}

void BM_WindowCanvas(benchmark::State& state, const char* workload) {
  const Text script = Workload(workload);
  testing::CountingTurtle counter;
  RunOnce(script, counter);
  const std::unique_ptr<CanvasCore> canvas = MainWindowCanvas();
  for (auto _ : state) RunOnce(script, canvas->Turtle());
  state.counters["commands/s"] = benchmark::Counter(
      static_cast<double>(counter.Count() * state.iterations()), benchmark::Counter::kIsRate);
}

// Starts `script` on a run thread, lets it get going, presses stop and
// reports the time from StopRun to the run's last effect (drawing is stopped
// under the canvas's lock, so the last effect is at most the thread's end).
void BM_StopLatency(benchmark::State& state, const char* utf8_script) {
  const Text script = Utf8ToGbk(utf8_script);
  const std::unique_ptr<CanvasCore> canvas = MainWindowCanvas();
  int64_t ended = 0;  // runs still in progress when stopped; each should be
  for (auto _ : state) {
    TimingHost host(script);
    RunDriver driver(host, *canvas);
    driver.StartRun();
    while (!host.Started()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Clock::time_point stop = Clock::now();
    ended += driver.StopRun() ? 1 : 0;
    driver.WaitForRun();
    const Clock::time_point end = std::max(Clock::now(), host.LastEffect());
    state.SetIterationTime(std::chrono::duration<double>(end - stop).count());
    canvas->Turtle().Clear();
  }
  state.counters["ended_runs"] = static_cast<double>(ended);
}

BENCHMARK_CAPTURE(BM_NullTurtle, w1_spiral, "w1_spiral.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NullTurtle, w2_star, "w2_star.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NullTurtle, w5_wrap, "w5_wrap.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w1_spiral, "w1_spiral.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w2_star, "w2_star.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w3_circles, "w3_circles.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w4_star5, "w4_star5.dvg")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w5_wrap, "w5_wrap.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowCanvas, w6_text, "w6_text.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StopLatency, long_delay, "延时 100000")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StopLatency, long_repeat, "重复 2000000000 【前进 1|右转 1】")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StopLatency, huge_circle, "画圆 100000000")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StopLatency, wrapping_moves, "重复 2000000000 【前进 1000|右转 7】")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20);

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);  // fonts for the text workload
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
