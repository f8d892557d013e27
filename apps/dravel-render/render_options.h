// The command line of dravel-render: what to run, how to set up the canvas
// and the run count box, and what to print or write afterwards. One table of
// options (option_table.h, its rows in option_table.cpp) gives the usage
// text in both languages (render_usage.cpp), the parser with the modes each
// option is for, and the command line of each script's process of a folder
// run.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "canvas/turtle_model.h"
#include "canvas/window_look.h"
#include "marking/match_mode.h"
#include "marking/teacher_words.h"

namespace dravel {

// How a script's bytes are read: as GBK, as UTF-8, or as UTF-8 when they look
// like it (gbk_codec.h, LooksLikeUtf8) and as GBK otherwise.
enum class ScriptEncoding { kGbk, kUtf8, kAuto };

// What a command line asks for, one bit each so that an option can name the
// modes it is for: a single script, a folder of them, --check, a folder
// run's own child process (--batch-child) or --merge.
enum RunMode : uint8_t { kScript = 1, kFolder = 2, kCheck = 4, kChild = 8, kMerge = 16 };

struct RenderOptions {
  RunMode mode = kScript;
  std::string script_path;  // "-" for standard input, or a folder of scripts
  // --check: the scripts to check instead of running (script_path is the first).
  std::vector<std::string> check_paths;
  // A script's picture file (PNG, or SVG by extension); a folder's output
  // folder (when not given, one beside the class folder: output_folder.h).
  std::optional<std::string> output_path;
  bool svg_in_folder = false;                // --format svg
  std::optional<std::string> contact_sheet;  // folder mode only
  bool paint_turtles = false;
  std::string run_count = "1";  // UTF-8, as typed into the box
  int width = kCanvasWidth;
  int height = kCanvasHeight;
  EdgeMode edge_mode = EdgeMode::Wrap;
  int pen_width = 1;  // 1 to kWidestWindowPen, as the window's settings allow
  // Every file is read alike (a single script, a reference, a folder's), so
  // a pupil scores the same alone and in the class.
  ScriptEncoding encoding = ScriptEncoding::kAuto;
  bool encoding_given = false;
  bool print_state = false;
  std::optional<double> timeout_seconds;  // 0 to 1e6; 0: stop before the first command (TimeoutOf)
  bool gbk_output = false;
  bool check = false;
  // --keep-delays / --no-delay; unset: folder runs skip 延时 waits, single
  // scripts keep them.
  std::optional<bool> keep_delays;
  int jobs = 0;  // --jobs; 0: one per core
  // --reference TARGET (.dvg or PNG), each given: the accepted answers.
  std::vector<std::string> references;
  MatchMode match = MatchMode::kPlaced;  // --match
  // --overlay: the picture of what differs from the best reference.
  std::optional<std::string> overlay_path;
  bool sort_by_score = false;  // --sort score
  // --overwrite: a folder run may replace files in its output folder that
  // no earlier run wrote (output_folder.h).
  bool overwrite = false;
  // Internal, for the folder mode's own child processes: run the one script,
  // write the report there and the thumbnail for the parent's contact sheet.
  std::optional<std::string> batch_report;
  std::optional<std::string> batch_image;
  int memory_limit_mb = 0;  // 0: not given (MemoryLimitOf)
  // --merge OUT: the folder the summaries in `merged` are joined into.
  std::optional<std::string> merge_output;
  std::vector<std::string> merged;

  bool operator==(const RenderOptions&) const = default;
};

struct HelpRequest {};
struct VersionRequest {};
struct UsageError {
  std::string message;
};

using ParsedCommandLine = std::variant<RenderOptions, HelpRequest, VersionRequest, UsageError>;

// Shared by dravel-render and the web edition's node command, so both read a
// command line alike. The mode follows from the options and the path given
// (RunMode's order of precedence: --merge, --batch-child, --check, a folder);
// an option given in a mode it is not for is a usage error naming both.
ParsedCommandLine ParseRenderOptions(int argc, const char* const* argv);

// The arguments (after the program's name) that give a folder run's child
// process `child`: each option a child takes that `child` sets, then "--"
// and its script. ParseRenderOptions reads them back to `child`, in mode
// kChild, when `child` sets no option a child does not take.
std::vector<std::string> ChildArguments(const RenderOptions& child);

// What refuses a bad command line, naming `program`: the error and where to
// look for help, two lines.
std::string UsageFailureText(std::string_view program, const std::string& message);

// The limits of every run, a single script's, --check's, a reference's and
// each of a folder's scripts alike, when the command line does not set them.
inline constexpr double kDefaultTimeoutSeconds = 10;
inline constexpr int kDefaultMemoryMegabytes = 2048;

// The timeout of --timeout in whole milliseconds (rounded down), else the
// default. Zero presses stop before the run's first command.
std::chrono::milliseconds TimeoutOf(const RenderOptions& options);

// The memory limit in MB: --memory-limit, else the default.
int MemoryLimitOf(const RenderOptions& options);

// The message refusing to write `path` when its extension (any case) is not
// one of `extensions` (".png", ...); nullopt when it may be written. "-" and
// names without an extension may.
std::optional<std::string> RefusedExtension(const std::string& path,
                                            const std::vector<std::string_view>& extensions);

// The usage text (--help) in `language`.
std::string RenderUsage(Language language);
extern const char kRenderVersion[];

}  // namespace dravel
