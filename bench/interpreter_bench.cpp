// Commands per second of the interpreter on the shared workloads, with the
// canvas's raster surface and with a turtle that does nothing, and the stop
// latency: the time from StopRun to the run's last effect while the run is in
// a long delay, a long repeat, a huge circle or moves that wrap many times.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "canvas/canvas_core.h"
#include "interpreter/command_list.h"
#include "interpreter/run_driver.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

using Clock = std::chrono::steady_clock;

// Counts operations and stamps the time of the last one that took effect.
class NullTurtle final : public TurtleOperations {
 public:
  void Forward(double) override { Count(); }
  void Back(double) override { Count(); }
  void TurnLeft(double) override { Count(); }
  void TurnRight(double) override { Count(); }
  void Home() override { Count(); }
  void Clear() override { Count(); }
  void Circle(double) override { Count(); }
  void PenUp() override { Count(); }
  void PenDown() override { Count(); }
  void Ellipse(double, double) override { Count(); }
  void Rectangle(double, double) override { Count(); }
  void SetX(double) override { Count(); }
  void SetY(double) override { Count(); }
  void SetXY(double, double) override { Count(); }
  void Show() override { Count(); }
  void Hide() override { Count(); }
  void WriteText(std::string_view) override { Count(); }
  void SetStopToken(std::stop_token) override {}
  void UnderEffectsLock(const std::function<void()>& step) override { request_stop(); }

  int64_t count() const { return count_; }

 private:
  void Count() { ++count_; }
  int64_t count_ = 0;
};

// Keeps only the time of the last effect of a run that took effect.
class TimingHost final : public RunHost {
 public:
  explicit TimingHost(Text script) : script_(std::move(script)) {}
  Text EditorText() override { return script_; }
  Text RunCountText() override { return "1"; }
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token& run, const Text&) override { Effect(run); }
  void AppendHint(const std::stop_token& run, const Text&) override { Effect(run); }
  void SetRunCountText(const std::stop_token& run, const Text&) override { Effect(run); }
  void EnableRunButton(const std::stop_token& run) override { Effect(run); }
  void FocusEditor(const std::stop_token& run) override { Effect(run); }
  void Beep(const std::stop_token& run) override { Effect(run); }
  void UnderEffectsLock(const std::function<void()>& step) override {
    std::lock_guard lock(mutex_);
    request_stop();
  }
  Clock::time_point last_effect() const {
    std::lock_guard lock(mutex_);
    return last_effect_;
  }
  bool started() const { return started_.load(); }

 private:
  void Effect(const std::stop_token& run) {
    std::lock_guard lock(mutex_);
    if (run.stop_requested()) return;
    last_effect_ = Clock::now();
    started_ = true;
  }
  mutable std::mutex mutex_;
  Text script_;
  Clock::time_point last_effect_;
  std::atomic<bool> started_{false};
};

Text Workload(const char* name) {
  std::ifstream file(std::string(DRAVEL_BENCH_DATA) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return ScriptFromFileBytes(std::string_view(bytes.str()));
}

std::unique_ptr<CanvasCore> MainWindowCanvas() {
  auto canvas = std::make_unique<CanvasCore>(732, 420);
  canvas->Clear();
  canvas->SetEdgeMode(EdgeMode::Wrap);
  canvas->SetPenColour(0x00FF00);
  canvas->SetBackgroundColour(0x606060);
  return canvas;
}

void RunOnce(const Text& script, TurtleOperations& turtle) {
  TimingHost host(script);
  RunContext context{turtle, host, {}};
  RunScript({script, "1"}, context);
}

void BM_NullTurtle(benchmark::State& state, const char* workload) {
  const Text script = Workload(workload);
  int64_t commands = 0;
  for (auto _ : state) {
    NullTurtle turtle;
    RunOnce(script, turtle);
    commands += turtle.Count();
  }
  state.counters["commands/s"] =
      benchmark::Counter(static_cast<double>(commands), benchmark::Counter::kIsRate);
}

void BM_RasterCanvas(benchmark::State& state, const char* workload) {
  const Text script = Workload(workload);
  NullTurtle counter;
  RunOnce(script, counter);
  const std::unique_ptr<CanvasCore> canvas = MainWindowCanvas();
  for (auto _ : state) RunOnce(script, *canvas);
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
    while (!host.started()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Clock::time_point stop = Clock::now();
    ended += driver.StopRun() ? 1 : 0;
    driver.WaitForRun();
    const Clock::time_point end = std::max(Clock::now(), host.last_effect());
    state.SetIterationTime(std::chrono::duration<double>(end - stop).count());
    canvas->Clear();
  }
  state.counters["ended_runs"] = static_cast<double>(ended);
}

BENCHMARK_CAPTURE(BM_NullTurtle, w1_spiral, "w1_spiral.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NullTurtle, w2_star, "w2_star.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NullTurtle, w5_wrap, "w5_wrap.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w1_spiral, "w1_spiral.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w2_star, "w2_star.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w3_circles, "w3_circles.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w4_star5, "w4_star5.dvg")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w5_wrap, "w5_wrap.dvg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RasterCanvas, w6_text, "w6_text.dvg")->Unit(benchmark::kMillisecond);
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
