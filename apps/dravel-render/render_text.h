// The texts of a headless run, shared by dravel-render and the web edition's
// node command: the script read as the editor would hold it, the hint as it
// is printed, the --state line, the hint's last line, the refusals of a
// canvas or picture there is no memory for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-render/render_options.h"
#include "canvas/turtle_model.h"
#include "interpreter/script_checker.h"
#include "runtime/text.h"

namespace dravel {

// The bytes of the script file at `path` (- : standard input); nullopt, after
// saying why on standard error as `program`, when they cannot be read or are
// longer than kLargestFile (file_bytes.h).
std::optional<std::string> ReadScriptBytes(const std::string& path,
                                           std::string_view program = "dravel-render");

// A script file's bytes as the editor would hold them, read in `encoding`.
Text ScriptOf(std::string_view bytes, ScriptEncoding encoding);

// The characters of a script file read in `encoding` that GBK cannot hold,
// line by line: those ScriptOf turned into '?'. None for a GBK file.
std::vector<LostInLine> LostCharactersOf(std::string_view bytes, ScriptEncoding encoding);

// The hint text as printed: LF line ends, UTF-8 unless `gbk`, control
// characters but the tab written out (control_text.h): a message may quote
// the script.
std::string HintForOutput(const Text& hint, bool gbk);

// "turtle X Y HEADING PEN VISIBLE" and a line end.
std::string StateLine(const TurtleState& turtle);

// The last non-empty line of a hint text, without its line break.
Text LastHintLine(const Text& hint);

// Why a run is refused whose canvas, of the options' size, cannot be
// allocated; and why a picture is not written that could not be made.
std::string CanvasRefusal(const RenderOptions& options);
std::string PictureRefusal(const std::string& path);

}  // namespace dravel
