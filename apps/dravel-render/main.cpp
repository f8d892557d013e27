// dravel-render: runs a script as the run button would, on a canvas set up
// like the main window's, with no window; prints what the hint box would show
// and optionally writes the canvas as PNG or SVG; given a folder, does so for
// every script in it, each in a child process of its own (render_folder.h);
// checks scripts with --check. See --help. The program itself links no Qt:
// text is set in the bundled font (render_font.h); a folder's contact sheet
// is its library's, loaded only when needed (text_library.h).
#include <malloc.h>

#include <cstdio>
#include <iostream>

#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/folder/merge_command.h"
#include "apps/dravel-render/folder/render_check.h"
#include "apps/dravel-render/folder/render_folder.h"
#include "apps/dravel-render/folder/time_limit.h"
#include "apps/dravel-render/render_entry.h"
#include "apps/dravel-render/render_font.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_run.h"
#include "apps/dravel-render/render_text.h"
#include "apps/dravel-render/single_score.h"
#include "apps/dravel-render/text_library/text_library.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "canvas/picture_format.h"
#include "marking/teacher_words.h"

namespace dravel {
namespace {

constexpr std::chrono::seconds kStopGrace(2);

// The desktop's canvas, shared with the run thread, which the timeout stops.
// The timeout counts from the start: reading and preparing the script take
// their part of it. `limit` ends the process should reading, preparing or
// the run (whose preparing of its lines may not see the stop) go on past it
// by kStopGrace; a zero timeout thus still shows the stopped run.
class DesktopEdition final : public RenderEdition {
 public:
  explicit DesktopEdition(TimeLimit& limit) : limit_(limit) {}

  std::optional<std::string> Prepare(const RenderOptions& options, const Text& script) override {
    std::string refusal;
    const std::optional<TextMaskPainter> text = TextPainterFor(script, refusal);
    if (!text) return refusal;
    canvas_ = CanvasCore::Create(options.width, options.height);
    if (!canvas_) return CanvasRefusal(options);
    SetUpCanvas(*canvas_, options, FormatOf(options) == PictureFormat::Svg, *text);
    return std::nullopt;
  }
  Text Run(const RenderOptions& options, const Text& script) override {
    const RunOutcome outcome =
        RunOnCanvas(options, script, *canvas_, Left(started_, TimeoutOf(options)),
                    options.keep_delays.value_or(true));
    limit_.Disarm();
    return outcome.hint;
  }
  TurtleState State() override { return canvas_->Lock()->StateOf(0); }
  int Score(const RenderOptions& options, std::ostream& text, bool ran_to_end) override {
    return ScoreSingleRun(options, *canvas_, text, ran_to_end);
  }
  std::string Picture(const RenderOptions& options) override {
    return PictureBytes(*canvas_, FormatOf(options), options.paint_turtles);
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    return WritePictureFile(path, bytes).Ok();
  }

 private:
  static PictureFormat FormatOf(const RenderOptions& options) {
    if (!options.output_path || *options.output_path == "-") return PictureFormat::Png;
    return FormatOfPath(*options.output_path);
  }

  TimeLimit& limit_;
  const TimeLimit::Clock::time_point started_ = TimeLimit::Clock::now();
  std::unique_ptr<CanvasCore> canvas_;
};

int UsageFailure(const std::string& message) {
  std::cerr << UsageFailureText("dravel-render", message);
  return 2;
}

int Main(int argc, char** argv) {
  const ParsedCommandLine parsed = ParseRenderOptions(argc, argv);
  if (std::holds_alternative<HelpRequest>(parsed)) {
    std::cout << RenderUsage(LocaleLanguage());
    return 0;
  }
  if (std::holds_alternative<VersionRequest>(parsed)) {
    std::cout << kRenderVersion;
    return 0;
  }
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<RenderOptions>(parsed);
  if (const auto refused = RefusedOutputs(options, options.mode == kFolder, PictureExtensions())) {
    std::cerr << "dravel-render: " << *refused << "\n";
    return 2;
  }
  if (options.mode == kMerge) return MergeSummaries(options);
  if (options.mode == kChild) return RunBatchChild(options);
  if (options.mode == kFolder) return RenderFolder(options);
  LimitMemory(MemoryLimitOf(options));
  if (options.mode == kCheck) return CheckScripts(options);
  TimeLimit limit;
  limit.Arm(TimeLimit::Clock::now() + TimeoutOf(options) + kStopGrace,
            "dravel-render: " + SaidText(Said::kStoppedRunning), 1);
  DesktopEdition edition(limit);
  return Render(options, "dravel-render", edition);
}

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) {
  // One heap for both threads: the run thread's own would be fresh pages,
  // which cost a short run more than the threads' rare contention.
  mallopt(M_ARENA_MAX, 1);
  int status = 2;
  try {
    status = dravel::Main(argc, argv);
  } catch (const std::bad_alloc&) {
    // Under the memory limit, a script too big to read or check.
    // "bad_alloc" tells a folder run's parent what ended its child.
    std::cerr << "dravel-render: " << dravel::SaidText(dravel::Said::kRanOutOfMemory)
              << " (std::bad_alloc)\n";
  }
  dravel::EndTextLibrary();
  return status;
}
