// The performance report (scripts/bench): for every workload in the shared
// bench folder, the wall time and peak memory of the whole dravel-render
// process, the in-process run on the canvas dravel-render sets up, the frame
// compose time, the stop latency, and the raw-buffer limit with our ratio to
// it; then an empty script's whole process, median of 200. With --soak: ten
// million moves through dravel-render with its resident memory sampled, an
// endless count of passes, and stops during a long run.
#include <unistd.h>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "bench/process_probe.h"
#include "bench/raw_limit.h"
#include "bench/workloads.h"
#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/window_look.h"
#include "interpreter/command_list.h"
#include "interpreter/run_driver.h"
#include "runtime/gbk_codec.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 732, kHeight = 420;
constexpr int kProcessRuns = 5;
constexpr int kStops = 40;
constexpr int kEmptyScriptRuns = 200;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[size_t(fraction * double(values.size() - 1) + 0.5)];
}

double Median(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

// The canvas as dravel-render sets it up for a PNG: no record kept.
std::unique_ptr<CanvasCore> RenderCanvas() {
  std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(kWidth, kHeight);
  canvas->Turtle().Clear();
  SetWindowLook(*canvas->Lock(), EdgeMode::Wrap);
  canvas->Lock()->SetTextPainter(BundledTextPainter());
  return canvas;
}

struct StopTimes {
  std::vector<double> answered_ms;
  std::vector<double> returned_ms;
};

struct Row {
  std::string name;
  double wall = 0;
  long peak_rss_kb = 0;
  int64_t moves = 0;
  double in_process = 0;
  double raw = 0;
  size_t segments = 0;
  double compose_us = 0;
  StopTimes stops;
};

void MeasureProcess(const std::string& render, const fs::path& script, Row& row) {
  std::vector<double> walls;
  for (int i = 0; i < kProcessRuns; ++i)
    walls.push_back(RunProcess({render, script.string()}).wall_seconds);
  row.wall = Median(walls);
  // One more run for the memory, sampled every millisecond.
  row.peak_rss_kb = RunProcess({render, script.string()}, 1).peak_rss_kb;
}

void MeasureInProcess(const Text& script, Row& row) {
  std::vector<double> times;
  std::unique_ptr<CanvasCore> canvas;
  for (int i = 0; i < 3; ++i) {
    canvas = RenderCanvas();
    testing::CountingTurtle turtle(&canvas->Turtle());
    testing::ScriptHost host(script, "1");
    RunContext context{turtle, host, {}};
    const Clock::time_point start = Clock::now();
    RunScript({script, "1"}, context);
    times.push_back(Seconds(start));
    row.moves = turtle.Count();
  }
  row.in_process = Median(times);
  std::vector<double> composes;
  for (int i = 0; i < 200; ++i) {
    const Clock::time_point start = Clock::now();
    const std::vector<uint32_t> frame = canvas->Lock()->Paint();
    composes.push_back(Seconds(start) * 1e6);
  }
  row.compose_us = Median(composes);
}

void MeasureRawLimit(const Text& script, Row& row) {
  const std::vector<PixelSegment> segments = CaptureSegments(script, kWidth, kHeight);
  std::vector<uint32_t> buffer(size_t(kWidth) * kHeight);
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const Clock::time_point start = Clock::now();
    DrawRaw(segments, buffer, kWidth, kHeight);
    times.push_back(Seconds(start));
  }
  row.raw = Median(times);
  row.segments = segments.size();
}

// Stops `script` run over and over (run count box two thousand million) at
// moments spread over 2..11 ms after its start. A stop is answered when
// StopRun returns: the run is then ended under the locks and shows nothing
// more; its thread returns after that. A run already over is not counted.
StopTimes StopLatencies(const Text& script, int stops) {
  const std::unique_ptr<CanvasCore> canvas = RenderCanvas();
  testing::ScriptHost host(script, "2000000000");
  RunDriver driver(host, *canvas);
  StopTimes times;
  for (int i = 0; i < stops; ++i) {
    driver.StartRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(2 + i % 10));
    const Clock::time_point start = Clock::now();
    const bool stopped = driver.StopRun();
    const double answered = Seconds(start) * 1e3;
    driver.WaitForRun();
    if (!stopped) continue;
    times.answered_ms.push_back(answered);
    times.returned_ms.push_back(Seconds(start) * 1e3);
  }
  return times;
}

void PrintRow(const Row& row) {
  const double ratio = row.raw > 0 ? row.in_process / row.raw : 0;
  char stops[96] = "ends before the stop";
  if (!row.stops.answered_ms.empty()) {
    std::snprintf(stops, sizeof stops, "%.3f / %.3f (thread %.3f)", Median(row.stops.answered_ms),
                  Percentile(row.stops.answered_ms, 0.99), Percentile(row.stops.returned_ms, 0.99));
  }
  char limit[64] = "no lines";
  if (row.segments > 0) {
    std::snprintf(limit, sizeof limit, "%.2f ms (%zu lines), x%.1f", row.raw * 1e3, row.segments,
                  ratio);
  }
  std::printf("| %s | %.3f s | %.1f MB | %.2f M/s (%.2f ms) | %s | %.0f us | %s |\n",
              row.name.c_str(), row.wall, row.peak_rss_kb / 1024.0,
              double(row.moves) / row.in_process / 1e6, row.in_process * 1e3, limit, row.compose_us,
              stops);
}

// An empty script as a whole process writing its PNG: what starting
// dravel-render costs, Qt left unloaded.
void PrintEmptyScript(const std::string& render) {
  const fs::path dir = fs::temp_directory_path() / ("dravel-empty-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path script = dir / "empty.dvg";
  std::ofstream(script, std::ios::binary).flush();
  const std::string png = (dir / "empty.png").string();
  std::vector<double> walls;
  for (int i = 0; i < kEmptyScriptRuns; ++i)
    walls.push_back(RunProcess({render, "-o", png, script.string()}).wall_seconds * 1e3);
  std::printf("\nempty script, whole process (dravel-render -o PNG), median of %d: %.2f ms\n",
              kEmptyScriptRuns, Median(walls));
  fs::remove_all(dir);
}

int Report(const std::string& render, const fs::path& workloads) {
  const std::vector<fs::path> scripts = Workloads(workloads);
  std::printf(
      "| workload | dravel-render wall (median of %d) | peak RSS | in-process moves/s "
      "(run time) | raw-buffer limit, our ratio | frame compose | stop answered p50 / p99 (thread "
      "returned p99), ms |\n"
      "|---|---|---|---|---|---|---|\n",
      kProcessRuns);
  for (const fs::path& path : scripts) {
    Row row;
    row.name = path.stem().string();
    const Text script = ReadWorkload(path);
    MeasureProcess(render, path, row);
    MeasureInProcess(script, row);
    MeasureRawLimit(script, row);
    row.stops = StopLatencies(script, kStops);
    PrintRow(row);
    std::fflush(stdout);
  }
  PrintEmptyScript(render);
  return 0;
}

// Resident memory from the first sample at one second on: the growth after
// it must stay under 5 MB.
void PrintMemory(const char* what, const ProcessResult& result) {
  long at_one_second = 0, highest = 0;
  for (const auto& [at, kb] : result.rss_samples) {
    if (at < 1.0) continue;
    if (at_one_second == 0) at_one_second = kb;
    highest = std::max(highest, kb);
  }
  if (at_one_second == 0) {
    std::printf("| %s | %.2f s | ended within the first second | |\n", what, result.wall_seconds);
    return;
  }
  const double growth_mb = double(highest - at_one_second) / 1024.0;
  std::printf("| %s | %.2f s | %.1f MB at 1 s, %.1f MB highest: +%.2f MB | %s |\n", what,
              result.wall_seconds, at_one_second / 1024.0, highest / 1024.0, growth_mb,
              growth_mb < 5 ? "flat" : "GROWS");
}

fs::path WriteScript(const fs::path& dir, const char* name, const char* utf8) {
  const fs::path path = dir / name;
  std::ofstream(path, std::ios::binary) << Utf8ToGbk(utf8);
  return path;
}

}  // namespace

// Ten million moves through dravel-render, an endless count of passes (its
// hint text is bounded), and stops at spread moments of a long run.
int Soak(const std::string& render) {
  const fs::path dir = fs::temp_directory_path() / ("dravel-soak-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const char* moves = "次数 100\r\n重复 100000 【前进 1|右转 1】\r\n";
  const fs::path moves_path = WriteScript(dir, "moves.dvg", moves);
  const fs::path passes_path = WriteScript(dir, "passes.dvg", "次数 2000000000\r\n");
  std::printf("| soak | wall | resident memory | |\n|---|---|---|---|\n");
  // Past the default 10 s timeout on a loaded machine, the soak would be cut short.
  PrintMemory("10,000,000 moves (dravel-render)",
              RunProcess({render, "--timeout", "600", moves_path.string()}, 50));
  PrintMemory("count 2000000000, stopped at 4 s (dravel-render)",
              RunProcess({render, "--timeout", "4", passes_path.string()}, 50));
  const StopTimes stops = StopLatencies(ReadWorkload(moves_path), 200);
  const auto worst = [](const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
  };
  std::printf(
      "\n%zu stops of the 10,000,000-move run: answered p50 %.3f ms, p99 %.3f ms, "
      "max %.3f ms (thread returned: max %.3f ms): %s\n",
      stops.answered_ms.size(), Median(stops.answered_ms), Percentile(stops.answered_ms, 0.99),
      worst(stops.answered_ms), worst(stops.returned_ms),
      worst(stops.answered_ms) < 10 ? "every stop within 10 ms" : "SLOW STOP");
  fs::remove_all(dir);
  return 0;
}

}  // namespace dravel::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  QGuiApplication application(argc, argv);  // fonts for the text workload
  const bool soak = argc > 1 && std::string(argv[1]) == "--soak";
  if (soak) return dravel::bench::Soak(DRAVEL_RENDER);
  return dravel::bench::Report(DRAVEL_RENDER, argc > 1 ? argv[1] : DRAVEL_BENCH_DATA);
}
