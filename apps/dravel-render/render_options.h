// The command line of dravel-render: what to run, how to set up the canvas
// and the run count box, and what to print or write afterwards.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "canvas/turtle_model.h"

namespace dravel {

// How a script's bytes are read: as GBK, as UTF-8, or as UTF-8 when they look
// like it (gbk_codec.h, LooksLikeUtf8) and as GBK otherwise.
enum class ScriptEncoding { kGbk, kUtf8, kAuto };

struct RenderOptions {
  std::string script_path;  // "-" for standard input, or a folder of scripts
  // --check: the scripts to check instead of running (script_path is the first).
  std::vector<std::string> check_paths;
  // A script's picture file (PNG, or SVG by extension); a folder's output
  // folder (the script folder itself when not given).
  std::optional<std::string> output_path;
  bool svg_in_folder = false;                // --format svg
  std::optional<std::string> contact_sheet;  // folder mode only
  bool paint_turtles = false;
  std::string run_count = "1";  // UTF-8, as typed into the box
  int width = 732;
  int height = 420;
  EdgeMode edge_mode = EdgeMode::Wrap;
  ScriptEncoding encoding = ScriptEncoding::kGbk;
  bool encoding_given = false;
  bool print_state = false;
  std::optional<double> timeout_seconds;
  bool gbk_output = false;
  bool check = false;
};

struct HelpRequest {};
struct UsageError {
  std::string message;
};

using ParsedCommandLine = std::variant<RenderOptions, HelpRequest, UsageError>;

ParsedCommandLine ParseRenderOptions(int argc, const char* const* argv);

extern const char kRenderUsage[];

}  // namespace dravel
