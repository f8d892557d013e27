#include "render_options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "canvas/picture_format.h"
#include "canvas/window_look.h"

namespace dravel {

const char kRenderVersion[] = "dravel-render " DRAVEL_VERSION "\n";

namespace {

constexpr int kMaxSide = 8192;  // keeps the two layers within memory
constexpr double kMaxTimeoutSeconds = 1e6;

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kMaxSide) return std::nullopt;
  return value;
}

bool ParseSize(std::string_view text, RenderOptions& options) {
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const std::optional<int> width = ParseSide(text.substr(0, x));
  const std::optional<int> height = ParseSide(text.substr(x + 1));
  if (!width || !height) return false;
  options.width = *width;
  options.height = *height;
  return true;
}

bool ParseEdge(std::string_view text, RenderOptions& options) {
  if (text == "wrap")
    options.edge_mode = EdgeMode::Wrap;
  else if (text == "fence")
    options.edge_mode = EdgeMode::Fence;
  else if (text == "unbounded")
    options.edge_mode = EdgeMode::Unbounded;
  else
    return false;
  return true;
}

bool ParseEncoding(std::string_view text, RenderOptions& options) {
  if (text == "gbk")
    options.encoding = ScriptEncoding::kGbk;
  else if (text == "utf-8" || text == "utf8")
    options.encoding = ScriptEncoding::kUtf8;
  else if (text == "auto")
    options.encoding = ScriptEncoding::kAuto;
  else
    return false;
  options.encoding_given = true;
  return true;
}

// A format by its extension's name ("png", "svg").
bool ParseFormat(std::string_view text, RenderOptions& options) {
  for (const PictureFormatName& name : kPictureFormats) {
    if (text != name.extension.substr(1)) continue;
    options.svg_in_folder = name.format == PictureFormat::Svg;
    return true;
  }
  return false;
}

bool ParseMatch(std::string_view text, RenderOptions& options) {
  if (text == "moved")
    options.match = MatchMode::kPlaced;
  else if (text == "exact")
    options.match = MatchMode::kExact;
  else if (text == "any-size")
    options.match = MatchMode::kAnySize;
  else
    return false;
  return true;
}

bool ParseSort(std::string_view text, RenderOptions& options) {
  if (text != "score" && text != "name") return false;
  options.sort_by_score = text == "score";
  return true;
}

// A whole number in [low, high].
std::optional<int> ParseCount(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// A decimal number as written: digits, an optional fraction, an optional
// exponent (clamped far beyond any use); no sign, no NaN, no infinity.
struct Decimal {
  std::string_view whole;
  std::string_view fraction;
  int64_t exponent = 0;
};

std::optional<Decimal> SplitDecimal(std::string_view text) {
  size_t at = 0;
  const auto digits = [&] {
    const size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return text.substr(start, at - start);
  };
  Decimal decimal;
  decimal.whole = digits();
  if (at < text.size() && text[at] == '.') {
    ++at;
    decimal.fraction = digits();
  }
  if (decimal.whole.empty() && decimal.fraction.empty()) return std::nullopt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const std::string_view exponent = digits();
    if (exponent.empty()) return std::nullopt;
    for (const char digit : exponent)
      decimal.exponent = std::min<int64_t>(decimal.exponent * 10 + (digit - '0'), 1'000'000'000);
    if (negative) decimal.exponent = -decimal.exponent;
  }
  if (at != text.size()) return std::nullopt;
  return decimal;
}

// The power of ten of the leading digit that is not 0 (0.02 gives -2);
// nullopt when every digit is 0.
std::optional<int64_t> LeadingPower(const Decimal& decimal) {
  const size_t whole = decimal.whole.find_first_not_of('0');
  if (whole != std::string_view::npos) {
    return int64_t(decimal.whole.size() - whole) - 1 + decimal.exponent;
  }
  const size_t fraction = decimal.fraction.find_first_not_of('0');
  if (fraction == std::string_view::npos) return std::nullopt;
  return -int64_t(fraction) - 1 + decimal.exponent;
}

// The library's own reading differs between builds past the range of a
// double (1e-999 is out of range to one, 0 to another), so the text is
// sized here and only numbers well inside that range are converted.
bool ParseTimeout(std::string_view text, RenderOptions& options) {
  const std::optional<Decimal> decimal = SplitDecimal(text);
  if (!decimal) return false;
  const std::optional<int64_t> power = LeadingPower(*decimal);
  if (power && *power > 6) return false;
  double seconds = 0;
  if (power && *power >= -12) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size()) return false;
  }
  if (seconds > kMaxTimeoutSeconds) return false;
  options.timeout_seconds = seconds;
  return true;
}

bool ParseJobs(std::string_view text, RenderOptions& options) {
  return (options.jobs = ParseCount(text, 1, 256).value_or(0)) != 0;
}

bool ParsePenWidth(std::string_view text, RenderOptions& options) {
  return (options.pen_width = ParseCount(text, 1, kWidestWindowPen).value_or(0)) != 0;
}

bool ParseMemoryLimit(std::string_view text, RenderOptions& options) {
  return (options.memory_limit_mb = ParseCount(text, 64, 1 << 20).value_or(0)) != 0;
}

// Where an option applies.
enum Modes : uint8_t { kScript = 1, kFolder = 2, kCheck = 4, kChild = 8 };

// How a folder run passes an option on to each script's process.
enum class ToChild : uint8_t {
  kNo,       // the folder run's own (or each child gets its own value)
  kAsGiven,  // the option as the command line gave it
};

// One option of the command line. The usage text lists it under a single
// script with `help` and under a folder with `folder_help` (lines after the
// first start with '\n'); an option with neither is internal.
struct OptionRow {
  std::string_view short_name;  // "-o", or empty
  std::string_view name;
  std::string_view value;  // what the value is, "FILE"; empty for a flag
  uint8_t modes;
  std::string_view help;
  std::string_view folder_help;
  ToChild to_child;
  bool (*apply)(std::string_view value, RenderOptions& options);
  std::string_view expected = {};  // what a refused value should have been
};

constexpr std::string_view kSizeExpected = "WxH, each side from 1 to 8192";
static_assert(kMaxSide == 8192);
constexpr std::string_view kPenWidthExpected = "pixels, from 1 to 50";
static_assert(kWidestWindowPen == 50);

const OptionRow kOptions[] = {
    {"-o", "--output", "FILE", kScript | kFolder,
     "after the run, write the canvas to FILE: SVG when FILE\n"
     "ends in .svg (the drawing as vectors), PNG when it ends\n"
     "in .png or has no extension; - writes the PNG to\n"
     "standard output (the hint text then goes to standard\n"
     "error)",
     "write the pictures and summaries there, making the folder\n"
     "when needed (default: FOLDER-批改 beside FOLDER)",
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.output_path = std::string(value);
       return true;
     }},
    {"", "--turtle", "", kScript | kFolder, "include the turtle sprites in the PNG", "",
     ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) { return options.paint_turtles = true; }},
    {"-n", "--count", "TEXT", kScript | kFolder, "content of the run count box (default \"1\")", "",
     ToChild::kAsGiven,
     [](std::string_view value, RenderOptions& options) {
       options.run_count = std::string(value);
       return true;
     }},
    {"", "--size", "WxH", kScript | kFolder, "canvas size in pixels (default 732x420)", "",
     ToChild::kAsGiven, ParseSize, kSizeExpected},
    {"", "--edge", "MODE", kScript | kFolder, "wrap, fence or unbounded (default wrap)", "",
     ToChild::kAsGiven, ParseEdge},
    {"", "--pen-width", "N", kScript | kFolder,
     "the pen's width in pixels, from 1 to 50 (default 1), as\n"
     "the window's settings set it",
     "", ToChild::kAsGiven, ParsePenWidth, kPenWidthExpected},
    {"", "--encoding", "ENC", kScript | kFolder | kCheck,
     "gbk, utf-8, or auto (UTF-8 when the bytes start with\n"
     "its byte order mark or are UTF-8 with a character of\n"
     "more than one byte, GBK otherwise): how to read SCRIPT;\n"
     "gbk for a SCRIPT, auto for a FOLDER and --check unless\n"
     "given",
     "", ToChild::kAsGiven, ParseEncoding},
    {"", "--state", "", kScript, "after the hint text, print: turtle X Y HEADING PEN VISIBLE", "",
     ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.print_state = true; }},
    {"", "--format", "FORMAT", kFolder, "", "png (default) or svg", ToChild::kNo, ParseFormat},
    {"", "--contact-sheet", "FILE", kFolder, "",
     "also write one PNG with every picture as a thumbnail\n"
     "under its file name",
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.contact_sheet = std::string(value);
       return true;
     }},
    {"", "--timeout", "SECONDS", kScript | kFolder | kCheck,
     "press stop after this long: from 0 to 1000000, to the\n"
     "millisecond (rounded down); 0 stops the run before\n"
     "its first command; reading the script counts (default\n"
     "10)",
     "per script; 10 unless given", ToChild::kAsGiven, ParseTimeout, "seconds, from 0 to 1000000"},
    {"", "--gbk", "", kScript | kFolder | kCheck,
     "write the hint text as GBK bytes instead of UTF-8", "", ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.gbk_output = true; }},
    {"", "--no-delay", "", kScript | kFolder, "do not wait at 延时 lines (the final picture only)",
     "", ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) {
       options.keep_delays = false;
       return true;
     }},
    {"", "--jobs", "N", kFolder, "", "scripts run at the same time (default: one per core)",
     ToChild::kNo, ParseJobs},
    {"", "--keep-delays", "", kFolder, "", "wait at 延时 lines as the window does",
     ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) {
       options.keep_delays = true;
       return true;
     }},
    {"", "--reference", "TARGET", kScript | kFolder,
     "after the hint text, print 得分 N: the picture's score\n"
     "0-100 against TARGET (as below)",
     "score each picture 0-100 against TARGET (a .dvg run\n"
     "the same way, or a PNG of the canvas size) laid where\n"
     "it fits best, moved, turned or mirrored; given again,\n"
     "each TARGET is an accepted answer and a picture gets\n"
     "the best of its scores; NAME-overlay.png shows what\n"
     "differs. A TARGET that does not end with 程序调试完毕！\n"
     "or draws nothing stops the run (status 2)",
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.references.emplace_back(value);
       return true;
     }},
    {"", "--match", "MODE", kScript | kFolder, "",
     "how a picture may lie on TARGET: moved (default: its\n"
     "place, direction and mirror image free, its size as\n"
     "TARGET's), exact (in place) or any-size (the size free\n"
     "too)",
     ToChild::kAsGiven, ParseMatch},
    {"", "--overlay", "FILE", kScript | kChild,
     "with --reference, write what differs as a PNG: the\n"
     "strokes matched in the pen colour, TARGET's missing\n"
     "parts in red, strokes it lacks in orange",
     "", ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.overlay_path = std::string(value);
       return true;
     }},
    {"", "--memory-limit", "MB", kScript | kFolder | kCheck,
     "the most memory the run may take (default 2048)",
     "the most memory each script's process may take\n"
     "(default 2048)",
     ToChild::kAsGiven, ParseMemoryLimit},
    {"", "--sort", "ORDER", kFolder, "",
     "the order of the contact sheet and report.html: name\n"
     "(default) or score",
     ToChild::kNo, ParseSort},
    {"", "--overwrite", "", kFolder, "",
     "replace files in the output folder that no earlier run\n"
     "wrote (without it, such a file stops the run, status 2)",
     ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.overwrite = true; }},
    {"", "--check", "", kCheck, "", "", ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.check = true; }},
    {"", "--batch-child", "REPORT", kChild, "", "", ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.batch_report = std::string(value);
       return true;
     }},
    {"", "--batch-image", "FILE", kChild, "", "", ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.batch_image = std::string(value);
       return true;
     }},
};

const OptionRow* RowOf(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (name == row.name || (!row.short_name.empty() && name == row.short_name)) return &row;
  }
  return nullptr;
}

constexpr size_t kHelpColumn = 24;

// The option's lines of the usage text: its names, then `help` at the help
// column (two spaces past names that reach it).
std::string HelpLines(const OptionRow& row, std::string_view help) {
  std::string line = "  " + (row.short_name.empty() ? "    " : std::string(row.short_name) + ", ");
  line += row.name;
  if (!row.value.empty()) line += " " + std::string(row.value);
  line.append(line.size() + 2 <= kHelpColumn ? kHelpColumn - line.size() : 2, ' ');
  for (const char c : help)
    line += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
  return line + "\n";
}

std::string UsageText() {
  std::string text =
      "Usage: dravel-render [options] SCRIPT\n"
      "       dravel-render [options] FOLDER\n"
      "       dravel-render --check [--encoding ENC] [--timeout S] [--memory-limit MB]\n"
      "                     SCRIPT...\n"
      "Runs a Dravel script as the run button would, with no window, and prints the hint box.\n"
      "SCRIPT is a source file (GBK bytes), or - for standard input.\n"
      "\n";
  for (const OptionRow& row : kOptions)
    if (!row.help.empty()) text += HelpLines(row, row.help);
  text +=
      "  -h, --help            show this help\n"
      "      --version         show the version\n"
      "\n"
      "\n"
      "Given a FOLDER, runs every .dvg file in it (not in subfolders; any case, any\n"
      "encoding of the name), each in a process of its own on a fresh canvas, and\n"
      "writes NAME.png (or NAME.svg) for each, summary.txt (one line per script: its\n"
      "exit status, its result (ok, failed, timeout, unreadable), the last line of its\n"
      "hint text, where in the file that line points, and with --reference its score;\n"
      "tab-separated) and summary.csv (the same for a spreadsheet, with the lines drawn\n"
      "and the run time), each row ending with the checker's findings (how many, the\n"
      "first) and the scripts it is a copy of (the same text once comment lines, blank\n"
      "lines and spaces are set aside); and report.html, a page in Chinese with every\n"
      "picture, for a browser or a printer. The summaries' words are Chinese when the\n"
      "locale is (LC_ALL, LC_MESSAGES or LANG zh_*). 延时 lines do not wait in a folder\n"
      "run. Only regular files are read: a link or anything else gets a row saying so.\n"
      "A file in the output folder that no earlier run wrote (listed in its\n"
      ".dravel-render-files) stops the run before anything is written.\n";
  for (const OptionRow& row : kOptions)
    if (!row.folder_help.empty()) text += HelpLines(row, row.folder_help);
  return text +
         "The exit status is 0 when every script ended with its closing message, 1 when\n"
         "one did not or the folder holds no script, 2 when something could not be read\n"
         "or written.\n"
         "\n"
         "With --check, runs nothing: reads each SCRIPT as the run would and prints what\n"
         "will go wrong or do what was probably not meant, one line each:\n"
         "FILE:LINE:COLUMN: message (UTF-8; GBK with --gbk or an explicit --encoding gbk),\n"
         "each finding that has a fix followed by the line as the fix leaves it, indented\n"
         "(two lines when the fix moves a command to a line of its own). Each SCRIPT is\n"
         "read and checked within the timeout and the memory limit.\n"
         "Exit status 0 when nothing was found, 1 when something was, 2 when a SCRIPT\n"
         "cannot be read or checked within the limits.\n"
         "\n"
         "A hint text over 2 MiB is printed as its first MiB, a line saying how many\n"
         "lines were left out, and its last MiB.\n"
         "\n"
         "Exit status: 0 when the run ended with its closing message, 1 when it ended\n"
         "otherwise (a failing line, a stop command, a count line without a value, the\n"
         "timeout), 2 on bad usage or an unreadable script.\n";
}

// Applies `row` with `value` (empty for a flag); false when the value is
// refused.
bool Apply(const OptionRow& row, std::string_view value, RenderOptions& options) {
  if (!row.apply(value, options)) return false;
  if (row.to_child == ToChild::kAsGiven) {
    options.child_arguments.emplace_back(row.name);
    if (!row.value.empty()) options.child_arguments.emplace_back(value);
  }
  return true;
}

std::optional<UsageError> ApplyOption(int argc, const char* const* argv, int& i,
                                      RenderOptions& options) {
  const std::string_view arg = argv[i];
  std::string_view name = arg;
  std::optional<std::string_view> value;
  if (const size_t equals = arg.find('=');
      arg.starts_with("--") && equals != std::string_view::npos) {
    name = arg.substr(0, equals);
    value = arg.substr(equals + 1);
  }
  const OptionRow* row = RowOf(name);
  if (!row || (row->value.empty() && value))
    return UsageError{"unknown option " + std::string(arg)};
  if (!row->value.empty() && !value) {
    if (i + 1 >= argc) return UsageError{"option " + std::string(name) + " needs a value"};
    value = argv[++i];
  }
  if (Apply(*row, value.value_or(""), options)) return std::nullopt;
  const std::string expected = row->expected.empty() ? "" : " (" + std::string(row->expected) + ")";
  return UsageError{"bad value for " + std::string(name) + ": " + std::string(*value) + expected};
}
}  // namespace

const std::string kRenderUsage = UsageText();

ParsedCommandLine ParseRenderOptions(int argc, const char* const* argv) {
  RenderOptions options;
  std::vector<std::string> scripts;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_ended || arg == "-" || !arg.starts_with('-')) {
      scripts.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") return HelpRequest{};
    if (arg == "--version") return VersionRequest{};
    if (std::optional<UsageError> error = ApplyOption(argc, argv, i, options)) return *error;
  }
  if (scripts.empty()) return UsageError{"no SCRIPT given"};
  if (scripts.size() > 1 && !options.check) return UsageError{"more than one SCRIPT given"};
  options.script_path = scripts.front();
  if (options.check) options.check_paths = std::move(scripts);
  return options;
}

std::string UsageFailureText(std::string_view program, const std::string& message) {
  const std::string name(program);
  return name + ": " + message + "\nTry '" + name + " --help'.\n";
}

ScriptEncoding FolderEncoding(const RenderOptions& options) {
  return options.encoding_given ? options.encoding : ScriptEncoding::kAuto;
}

std::chrono::milliseconds TimeoutOf(const RenderOptions& options) {
  return std::chrono::milliseconds(
      static_cast<int64_t>(options.timeout_seconds.value_or(kDefaultTimeoutSeconds) * 1000));
}

int MemoryLimitOf(const RenderOptions& options) {
  return options.memory_limit_mb > 0 ? options.memory_limit_mb : kDefaultMemoryMegabytes;
}

std::optional<std::string> RefusedExtension(const std::string& path,
                                            const std::vector<std::string_view>& extensions) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (path == "-" || dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  std::string named;
  for (const std::string_view allowed : extensions) {
    if (extension == allowed) return std::nullopt;
    named += (named.empty() ? "" : " or ") + std::string(allowed);
  }
  return "cannot write " + path + ": pictures are written as " + named;
}

}  // namespace dravel
