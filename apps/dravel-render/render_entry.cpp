#include "apps/dravel-render/render_entry.h"

#include <iostream>

#include "apps/dravel-render/render_text.h"
#include "canvas/window_look.h"
#include "interpreter/messages.h"
#include "marking/teacher_words.h"

namespace dravel {
namespace {

int Refuse(std::string_view program, const std::string& message) {
  std::cerr << program << ": " << message << "\n";
  return 2;
}

bool WriteStandardOutput(const std::string& bytes) {
  std::cout.write(bytes.data(), std::streamsize(bytes.size()));
  std::cout.flush();
  return bool(std::cout);
}

}  // namespace

int Render(const RenderOptions& options, std::string_view program, RenderEdition& edition) {
  const std::optional<std::string> bytes = ReadScriptBytes(options.script_path, program);
  if (!bytes) return 2;
  const Text script = ScriptOf(*bytes, options.encoding);
  if (const auto refused = edition.Prepare(options, script)) return Refuse(program, *refused);
  const Text hint = edition.Run(options, script);

  // With the picture on standard output, the text goes to standard error.
  const bool picture_out = options.output_path == "-";
  std::ostream& text = picture_out ? std::cerr : std::cout;
  text << HintForOutput(hint, options.gbk_output);
  if (options.print_state) text << StateLine(edition.State());
  text.flush();
  if (!options.references.empty()) {
    const bool ran_to_end = !hint.ends_with(messages::kRunStopped);
    if (const int scored = edition.Score(options, text, ran_to_end); scored != 0) return scored;
  }
  // The run's hint is out before a picture that cannot be written is told.
  if (options.output_path) {
    const std::string picture = edition.Picture(options);
    if (picture.empty()) return Refuse(program, PictureRefusal(*options.output_path));
    if (picture_out ? !WriteStandardOutput(picture)
                    : !edition.Write(*options.output_path, picture)) {
      return Refuse(program, SaidText(Said::kCannotWrite, {*options.output_path}));
    }
  }
  return hint.ends_with(messages::kRunDone) ? 0 : 1;
}

void SetRenderLook(Canvas& canvas, const RenderOptions& options) {
  SetWindowLook(canvas, options.edge_mode);
  canvas.SetPenWidth(options.pen_width);
}

std::optional<std::string> RefusedOutputs(const RenderOptions& options, bool folder,
                                          const std::vector<std::string_view>& extensions) {
  if (options.output_path && !folder) {
    if (auto refused = RefusedExtension(*options.output_path, extensions)) return refused;
  }
  if (options.contact_sheet) return RefusedExtension(*options.contact_sheet, {".png"});
  return std::nullopt;
}

}  // namespace dravel
