#include "apps/dravel-render/batch_child.h"

#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <vector>

#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/render_run.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "runtime/file_bytes.h"

// The sanitizers' shadow memory needs far more address space than any limit.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DRAVEL_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define DRAVEL_SANITIZED
#endif
#endif

namespace dravel {
namespace {

constexpr double kChildDefaultTimeoutSeconds = 10;

std::string ResultOf(const RunOutcome& outcome) {
  if (outcome.exit_status == 0) return "ok";
  return outcome.stopped ? "timeout" : "failed";
}

bool WriteBytes(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return TryWriteFileBytes(path, std::span(bytes, text.size())).Ok();
}

// Runs the script and writes its pictures into `report`.
void RunAndDraw(const RenderOptions& options, const std::string& bytes, ChildReport& report) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(options.width, options.height);
  if (!canvas) {
    report.exit_status = 1;
    report.result = "failed";
    report.last_line = CanvasRefusal(options);
    return;
  }
  SetUpCanvas(*canvas, options.edge_mode, options.svg_in_folder);
  const double seconds = options.timeout_seconds.value_or(kChildDefaultTimeoutSeconds);
  const auto started = std::chrono::steady_clock::now();
  const Text script = ScriptOf(bytes, options.encoding);
  StartGuiApplicationFor(script);
  const RunOutcome outcome = RunOnCanvas(
      options, script, *canvas, std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)),
      options.keep_delays.value_or(false));
  report.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
  report.exit_status = outcome.exit_status;
  report.result = ResultOf(outcome);
  report.last_line = LastHintLine(outcome.hint);
  report.place = PlaceText(outcome);
  report.lines_drawn = canvas->Lock()->LinesDrawn();
  const PictureFormat format = options.svg_in_folder ? PictureFormat::Svg : PictureFormat::Png;
  report.picture_failed =
      options.output_path &&
      !WritePictureFile(*options.output_path, PictureBytes(*canvas, format, options.paint_turtles))
           .Ok();
  if (options.batch_image) {
    WritePictureFile(*options.batch_image,
                     PictureBytes(*canvas, PictureFormat::Png, options.paint_turtles));
  }
}

}  // namespace

int RunBatchChild(const RenderOptions& options) {
  ChildReport report;
  const FileReadResult read = TryReadFileBytes(options.script_path);
  if (read.Ok()) {
    RunAndDraw(options, std::string(read.bytes.begin(), read.bytes.end()), report);
  }
  if (WriteBytes(*options.batch_report, ReportText(report))) return 0;
  std::cerr << "dravel-render: cannot write " << *options.batch_report << "\n";
  return 2;
}

std::string ReportText(const ChildReport& report) {
  return "exit\t" + std::to_string(report.exit_status) + "\nresult\t" + report.result +
         "\nplace\t" + report.place + "\npicture failed\t" + (report.picture_failed ? "1" : "0") +
         "\nlines\t" + std::to_string(report.lines_drawn) + "\nms\t" +
         std::to_string(report.milliseconds) + "\nlast\t" + report.last_line + "\n";
}

std::optional<ChildReport> ParseReport(std::string_view text) {
  ChildReport report;
  int fields = 0;
  const auto number = [](std::string_view value, auto& out) {
    return std::from_chars(value.data(), value.data() + value.size(), out).ec == std::errc();
  };
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, tab), value = line.substr(tab + 1);
    bool ok = true;
    if (key == "exit")
      ok = number(value, report.exit_status);
    else if (key == "result")
      report.result = value;
    else if (key == "place")
      report.place = value;
    else if (key == "picture failed")
      report.picture_failed = value == "1";
    else if (key == "lines")
      ok = number(value, report.lines_drawn);
    else if (key == "ms")
      ok = number(value, report.milliseconds);
    else if (key == "last")
      report.last_line = value;
    else
      ok = false;
    if (!ok) return std::nullopt;
    ++fields;
  }
  if (fields != 7) return std::nullopt;
  return report;
}

void LimitMemory(int megabytes) {
#ifndef DRAVEL_SANITIZED
  const rlim_t bytes = rlim_t(megabytes) << 20;
  const rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_AS, &limit);
#else
  (void)megabytes;
#endif
}

}  // namespace dravel
