#include "apps/dravel-render/batch_child.h"

#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <vector>

#include "apps/dravel-render/contact_sheet.h"
#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/picture_score.h"
#include "apps/dravel-render/render_run.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "canvas/qt_pixels.h"
#include "canvas/text_painter.h"
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
// A 写文字 script with every output at 732x420 started at 112 MB, at
// 8192x8192 at 1,040 MB (about 14.6 bytes a pixel more).
constexpr int kChildBaseMegabytes = 120;
constexpr int64_t kChildBytesPerPixel = 16;

std::string ResultOf(const RunOutcome& outcome) {
  if (outcome.exit_status == 0) return "ok";
  return outcome.stopped ? "timeout" : "failed";
}

bool WriteBytes(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).Ok();
}

std::optional<double> ScoreAgainst(const QImage& picture, const std::string& reference) {
  const FileReadResult read = TryReadFileBytes(reference);
  if (!read.Ok()) return std::nullopt;
  return MatchScore(picture, QImage::fromData(read.bytes.data(), int(read.bytes.size())));
}

// The picture the score and the thumbnail are made from; null when it cannot
// be allocated.
QImage PictureOf(const CanvasCore& canvas, bool with_turtles) {
  auto locked = canvas.Lock();
  return with_turtles ? FrameImage(*locked) : ImageOf(locked->VisibleLayer());
}

void WritePictures(const RenderOptions& options, const CanvasCore& canvas, ChildReport& report) {
  const PictureFormat format = options.svg_in_folder ? PictureFormat::Svg : PictureFormat::Png;
  if (options.output_path) {
    report.picture_error =
        WritePictureFile(*options.output_path, PictureBytes(canvas, format, options.paint_turtles),
                         LinkAtName::kRefuse)
            .error;
  }
  if (!options.reference && !options.batch_image) return;
  const QImage picture = PictureOf(canvas, options.paint_turtles);
  if (options.reference) report.score = ScoreAgainst(picture, *options.reference);
  if (options.batch_image) {
    WritePictureFile(*options.batch_image, PngBytes(Thumbnail(picture)), LinkAtName::kRefuse);
  }
}

// Runs the script and writes its pictures into `report`; false, running
// nothing, when its canvas cannot be had.
bool RunAndDraw(const RenderOptions& options, const std::string& bytes, ChildReport& report) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(options.width, options.height);
  if (!canvas) return false;
  SetUpCanvas(*canvas, options, options.svg_in_folder, PaintTextMask);
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
  WritePictures(options, *canvas, report);
  return true;
}

}  // namespace

int RunBatchChild(const RenderOptions& options) {
  ChildReport report;
  const FileReadResult read = TryReadFileBytes(options.script_path);
  // No report: the folder run makes the row from this last line.
  if (read.Ok() &&
      !RunAndDraw(options, std::string(read.bytes.begin(), read.bytes.end()), report)) {
    std::cerr << "dravel-render: " << CanvasRefusal(options) << "\n";
    return 2;
  }
  if (WriteBytes(*options.batch_report, ReportText(report))) return 0;
  std::cerr << "dravel-render: cannot write " << *options.batch_report << "\n";
  return 2;
}

std::string ReportText(const ChildReport& report) {
  char score[32] = "";
  if (report.score) *std::to_chars(score, score + sizeof score - 1, *report.score).ptr = '\0';
  return "exit\t" + std::to_string(report.exit_status) + "\nresult\t" + report.result +
         "\nplace\t" + report.place + "\npicture error\t" + std::to_string(report.picture_error) +
         "\nlines\t" + std::to_string(report.lines_drawn) + "\nms\t" +
         std::to_string(report.milliseconds) + "\nscore\t" + score + "\nlast\t" + report.last_line +
         "\n";
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
    else if (key == "picture error")
      ok = number(value, report.picture_error);
    else if (key == "lines")
      ok = number(value, report.lines_drawn);
    else if (key == "ms")
      ok = number(value, report.milliseconds);
    else if (key == "score")
      ok = value.empty() || number(value, report.score.emplace());
    else if (key == "last")
      report.last_line = value;
    else
      ok = false;
    if (!ok) return std::nullopt;
    ++fields;
  }
  if (fields != 8) return std::nullopt;
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

int LeastChildMemory(const RenderOptions& options) {
  const int64_t pixels = int64_t(options.width) * options.height;
  return kChildBaseMegabytes + int((pixels * kChildBytesPerPixel + (1 << 20) - 1) >> 20);
}

}  // namespace dravel
