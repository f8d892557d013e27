#include "apps/dravel-render/single_score.h"

#include <iostream>
#include <memory>
#include <vector>

#include "apps/dravel-render/render_font.h"
#include "apps/dravel-render/render_run.h"
#include "apps/dravel-render/render_text.h"
#include "canvas/picture_export.h"
#include "marking/file_names.h"
#include "marking/picture_score.h"
#include "marking/png_reading.h"
#include "marking/script_result.h"
#include "marking/teacher_words.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

int Refused(const std::string& message) {
  std::cerr << "dravel-render: " << message << "\n";
  return 2;
}

// The picture a reference script leaves; empty, said, when it does not end
// with its closing message or cannot be run.
PixelImage RunReference(const RenderOptions& options, const std::string& path) {
  const std::optional<std::string> bytes = ReadScriptBytes(path);
  if (!bytes) return {};
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(options.width, options.height);
  if (!canvas) {
    Refused(CanvasRefusal(options));
    return {};
  }
  const Text script = ScriptOf(*bytes, options.encoding);
  std::string refusal;
  const std::optional<TextMaskPainter> text = TextPainterFor(script, refusal);
  if (!text) {
    Refused(refusal);
    return {};
  }
  SetUpCanvas(*canvas, options, false, *text);
  const RunOutcome outcome = RunOnCanvas(options, script, *canvas, TimeoutOf(options), false);
  if (outcome.exit_status != 0) {
    Refused(SaidText(Said::kReferenceUnended, {path, GbkToUtf8(LastHintLine(outcome.hint))}));
    return {};
  }
  return PixelImage::Of(canvas->Lock()->VisibleLayer());
}

// Every reference's picture; nullopt, said, at the first that is bad.
std::optional<std::vector<PixelImage>> References(const RenderOptions& options) {
  std::vector<PixelImage> pictures;
  for (const std::string& path : options.references) {
    if (const auto unreadable = UnreadableReference(path)) {
      Refused(*unreadable);
      return std::nullopt;
    }
    const bool script = IsScriptName(path);
    PixelImage picture = script ? RunReference(options, path) : ReadPngFile(path);
    if (picture.Empty()) {
      if (!script) Refused(SaidText(Said::kReferenceUnreadable, {path}));
      return std::nullopt;
    }
    if (const auto fault = ReferenceFault(picture, options.width, options.height, path)) {
      Refused(*fault);
      return std::nullopt;
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

}  // namespace

int ScoreSingleRun(const RenderOptions& options, const CanvasCore& canvas, std::ostream& text,
                   bool ran_to_end) {
  const std::optional<std::vector<PixelImage>> references = References(options);
  if (!references) return 2;
  const PixelImage picture = CanvasPicture(canvas, options.paint_turtles);
  const std::optional<PictureScore> scored = ScorePicture(
      picture, references->size(), [&](size_t i) { return (*references)[i]; }, options.match,
      options.overlay_path.has_value());
  if (!scored) return Refused(CanvasRefusal(options));
  const std::string line =
      "得分 " + (ran_to_end ? ScoreText(scored->score) : std::string(kNoScore) + "（超时）") + "\n";
  text << (options.gbk_output ? Utf8ToGbk(line) : line);
  text.flush();
  if (options.overlay_path &&
      !WritePictureFile(*options.overlay_path, PngOf(scored->overlay)).Ok()) {
    return Refused(SaidText(Said::kCannotWrite, {*options.overlay_path}));
  }
  return 0;
}

}  // namespace dravel
