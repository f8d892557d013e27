#include "apps/dravel-render/folder/batch_child.h"

#include <sys/resource.h>

#include <chrono>
#include <iostream>
#include <span>
#include <vector>

#include "apps/dravel-render/folder/time_limit.h"
#include "apps/dravel-render/render_font.h"
#include "apps/dravel-render/render_run.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "interpreter/script_checker.h"
#include "marking/picture_score.h"
#include "marking/png_reading.h"
#include "marking/script_result.h"
#include "marking/teacher_words.h"
#include "marking/thumbnail.h"
#include "runtime/file_bytes.h"
#include "runtime/sanitized_build.h"

namespace dravel {
namespace {

// Findings counted one by one; the lines past them count one each.
constexpr size_t kFindingsCounted = 1000;

// A 写文字 script with every output at 732x420 started at 128 MB (with the
// text library loaded on demand), at 8192x8192 at 1,040 MB before it (about
// 14.6 bytes a pixel more). A child without text loads no Qt and needs less
// (64 MB against the text's 85 in one RelWithDebInfo build), but the limit is
// one for the whole folder, so the text script sets it.
constexpr int kChildBaseMegabytes = 140;
constexpr int64_t kChildBytesPerPixel = 16;

std::string ResultOf(const RunOutcome& outcome) {
  if (outcome.exit_status == 0) return "ok";
  return outcome.stopped ? "timeout" : "failed";
}

bool WriteBytes(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).Ok();
}

// The picture's format, as its name says.
PictureFormat FormatOf(const RenderOptions& options) {
  return options.output_path ? FormatOfPath(*options.output_path) : PictureFormat::Png;
}

// The score against the folder's references (PNGs of the canvas's size),
// and the overlay when asked; no score when a reference cannot be read.
void Score(const RenderOptions& options, const PixelImage& picture, ScriptResult& report) {
  const std::optional<PictureScore> scored = ScorePicture(
      picture, options.references.size(),
      [&](size_t i) { return ReadPngFile(options.references[i]); }, options.match,
      options.overlay_path.has_value());
  if (!scored) return;
  report.score = scored->score;
  report.reference = scored->reference;
  if (options.overlay_path) {
    report.overlay_error =
        WritePictureFile(*options.overlay_path, PngOf(scored->overlay), LinkAtName::kRefuse).error;
  }
}

void WritePictures(const RenderOptions& options, const CanvasCore& canvas, ScriptResult& report) {
  const PictureFormat format = FormatOf(options);
  if (options.output_path) {
    report.picture_error =
        WritePictureFile(*options.output_path, PictureBytes(canvas, format, options.paint_turtles),
                         LinkAtName::kRefuse)
            .error;
  }
  if (options.references.empty() && !options.batch_image) return;
  const PixelImage picture = CanvasPicture(canvas, options.paint_turtles);
  if (!options.references.empty()) Score(options, picture, report);
  if (options.batch_image)
    WritePictureFile(*options.batch_image, PngOf(Thumbnail(picture.View())), LinkAtName::kRefuse);
}

// The checker's findings: how many, and the first.
void Check(const Text& script, std::span<const LostInLine> lost, ScriptResult& report) {
  const ScriptFindings findings = CheckScript(script, kFindingsCounted, lost);
  report.findings = int(findings.listed.size()) + findings.lines_left;
  if (findings.listed.empty()) return;
  const ScriptFinding& first = findings.listed.front();
  report.first_finding_line = first.line;
  report.first_finding = FindingText(first.finding);
  for (char& c : report.first_finding)
    if (c == '\n' || c == '\r') c = ' ';
}

// Runs the script and writes its pictures into `report`; why, running
// nothing, when its canvas or its text painter cannot be had.
std::optional<std::string> RunAndDraw(const RenderOptions& options, const std::string& bytes,
                                      TimeLimit::Clock::time_point started, ScriptResult& report) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(options.width, options.height);
  if (!canvas) return CanvasRefusal(options);
  const Text script = ScriptOf(bytes, options.encoding);
  std::string refusal;
  const std::optional<TextMaskPainter> text = TextPainterFor(script, refusal);
  if (!text) return refusal;
  SetUpCanvas(*canvas, options, FormatOf(options) == PictureFormat::Svg, *text);
  const RunOutcome outcome =
      RunOnCanvas(options, script, *canvas, Left(started, TimeoutOf(options)),
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
  Check(script, LostCharactersOf(bytes, options.encoding), report);
  return std::nullopt;
}

}  // namespace

int RunBatchChild(const RenderOptions& options) {
  LimitMemory(MemoryLimitOf(options));
  // The timeout counts from here: reading and preparing the script are part of its time.
  const auto started = TimeLimit::Clock::now();
  ScriptResult report;
  const FileReadResult read = TryReadFileBytes(options.script_path);
  if (read.Ok()) {
    // No report: the folder run makes the row from this last line.
    if (const auto refused = RunAndDraw(options, std::string(read.bytes.begin(), read.bytes.end()),
                                        started, report)) {
      std::cerr << "dravel-render: " << *refused << "\n";
      return 2;
    }
  }
  if (WriteBytes(*options.batch_report, ResultText(report))) return 0;
  std::cerr << "dravel-render: " << SaidText(Said::kCannotWrite, {*options.batch_report}) << "\n";
  return 2;
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
