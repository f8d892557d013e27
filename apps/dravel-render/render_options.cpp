#include "render_options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "canvas/window_look.h"

namespace dravel {

const char kRenderUsage[] =
    "Usage: dravel-render [options] SCRIPT\n"
    "       dravel-render [options] FOLDER\n"
    "       dravel-render --check [--encoding ENC] SCRIPT...\n"
    "Runs a Dravel script as the run button would, with no window, and prints the hint box.\n"
    "SCRIPT is a source file (GBK bytes), or - for standard input.\n"
    "\n"
    "  -o, --output FILE     after the run, write the canvas to FILE: SVG when FILE\n"
    "                        ends in .svg (the drawing as vectors), PNG when it ends\n"
    "                        in .png or has no extension; - writes the PNG to\n"
    "                        standard output (the hint text then goes to standard\n"
    "                        error)\n"
    "      --turtle          include the turtle sprites in the PNG\n"
    "  -n, --count TEXT      content of the run count box (default \"1\")\n"
    "      --size WxH        canvas size in pixels (default 732x420)\n"
    "      --edge MODE       wrap, fence or unbounded (default wrap)\n"
    "      --pen-width N     the pen's width in pixels, from 1 to 50 (default 1), as\n"
    "                        the window's settings set it\n"
    "      --encoding ENC    gbk (default), utf-8, or auto (UTF-8 when the bytes start\n"
    "                        with its byte order mark or are UTF-8 with a character of\n"
    "                        more than one byte, GBK otherwise): how to read SCRIPT\n"
    "      --state           after the hint text, print: turtle X Y HEADING PEN VISIBLE\n"
    "      --timeout SECONDS press stop after this long: from 0 to 1000000, to the\n"
    "                        millisecond (rounded down); 0 stops the run before\n"
    "                        its first command\n"
    "      --gbk             write the hint text as GBK bytes instead of UTF-8\n"
    "      --no-delay        do not wait at 延时 lines (the final picture only)\n"
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
    "and the run time). 延时 lines do not wait in a folder run.\n"
    "  -o, --output DIR      write the pictures and summaries there, making the folder\n"
    "                        when needed (default FOLDER)\n"
    "      --format FORMAT   png (default) or svg\n"
    "      --contact-sheet FILE  also write one PNG with every picture as a thumbnail\n"
    "                        under its file name\n"
    "      --timeout SECONDS per script; 10 unless given\n"
    "      --jobs N          scripts run at the same time (default: one per core)\n"
    "      --keep-delays     wait at 延时 lines as the window does\n"
    "      --reference TARGET  score each picture 0-100 against TARGET (a .dvg run\n"
    "                        the same way, or a PNG of the canvas size): how many\n"
    "                        drawn pixels match within two pixels\n"
    "      --memory-limit MB  the most memory each script's process may take\n"
    "                        (default 2048)\n"
    "      --sort ORDER      the contact sheet's order: name (default) or score\n"
    "The exit status is 0 when every script ended with its closing message, 1 when\n"
    "one did not or the folder holds no script, 2 when something could not be read\n"
    "or written.\n"
    "\n"
    "With --check, runs nothing: reads each SCRIPT as the run would and prints what\n"
    "will go wrong or do what was probably not meant, one line each:\n"
    "FILE:LINE:COLUMN: message (UTF-8; GBK with --gbk or an explicit --encoding gbk),\n"
    "each finding that has a fix followed by the line as the fix leaves it, indented\n"
    "(two lines when the fix moves a command to a line of its own).\n"
    "Exit status 0 when nothing was found, 1 when something was, 2 when a SCRIPT\n"
    "cannot be read.\n"
    "\n"
    "A hint text over 2 MiB is printed as its first MiB, a line saying how many\n"
    "lines were left out, and its last MiB.\n"
    "\n"
    "Exit status: 0 when the run ended with its closing message, 1 when it ended\n"
    "otherwise (a failing line, a stop command, a count line without a value, the\n"
    "timeout), 2 on bad usage or an unreadable script.\n";

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

bool ParseFormat(std::string_view text, RenderOptions& options) {
  if (text == "png")
    options.svg_in_folder = false;
  else if (text == "svg")
    options.svg_in_folder = true;
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

// Applies an option that takes a value; false when the value is not accepted.
bool ApplyValue(std::string_view name, std::string_view value, RenderOptions& options) {
  if (name == "-o" || name == "--output")
    options.output_path = std::string(value);
  else if (name == "-n" || name == "--count")
    options.run_count = std::string(value);
  else if (name == "--size")
    return ParseSize(value, options);
  else if (name == "--edge")
    return ParseEdge(value, options);
  else if (name == "--encoding")
    return ParseEncoding(value, options);
  else if (name == "--timeout")
    return ParseTimeout(value, options);
  else if (name == "--format")
    return ParseFormat(value, options);
  else if (name == "--contact-sheet")
    options.contact_sheet = std::string(value);
  else if (name == "--reference")
    options.reference = std::string(value);
  else if (name == "--sort")
    return ParseSort(value, options);
  else if (name == "--jobs")
    return (options.jobs = ParseCount(value, 1, 256).value_or(0)) != 0;
  else if (name == "--pen-width")
    return (options.pen_width = ParseCount(value, 1, kWidestWindowPen).value_or(0)) != 0;
  else if (name == "--memory-limit")
    return (options.memory_limit_mb = ParseCount(value, 64, 1 << 20).value_or(0)) != 0;
  else if (name == "--batch-child")
    options.batch_report = std::string(value);
  else if (name == "--batch-image")
    options.batch_image = std::string(value);
  return true;
}

bool TakesValue(std::string_view name) {
  for (std::string_view known :
       {"-o", "--output", "-n", "--count", "--size", "--edge", "--encoding", "--timeout",
        "--format", "--contact-sheet", "--reference", "--sort", "--jobs", "--memory-limit",
        "--pen-width", "--batch-child", "--batch-image"}) {
    if (name == known) return true;
  }
  return false;
}

// What a refused value should have been, where the option's name does not
// say it.
std::string ExpectedValue(std::string_view name) {
  if (name == "--timeout") return " (seconds, from 0 to 1000000)";
  if (name == "--pen-width") return " (pixels, from 1 to " + std::to_string(kWidestWindowPen) + ")";
  if (name == "--size") return " (WxH, each side from 1 to " + std::to_string(kMaxSide) + ")";
  return {};
}

bool ApplyFlag(std::string_view name, RenderOptions& options) {
  if (name == "--turtle")
    options.paint_turtles = true;
  else if (name == "--state")
    options.print_state = true;
  else if (name == "--gbk")
    options.gbk_output = true;
  else if (name == "--check")
    options.check = true;
  else if (name == "--keep-delays")
    options.keep_delays = true;
  else if (name == "--no-delay")
    options.keep_delays = false;
  else
    return false;
  return true;
}

}  // namespace

ParsedCommandLine ParseRenderOptions(int argc, const char* const* argv) {
  RenderOptions options;
  std::vector<std::string> scripts;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
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
    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (const size_t equals = arg.find('=');
        arg.starts_with("--") && equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (!value && ApplyFlag(name, options)) continue;
    if (!TakesValue(name)) return UsageError{"unknown option " + std::string(arg)};
    if (!value) {
      if (i + 1 >= argc) return UsageError{"option " + std::string(name) + " needs a value"};
      value = argv[++i];
    }
    if (!ApplyValue(name, *value, options)) {
      return UsageError{"bad value for " + std::string(name) + ": " + std::string(*value) +
                        ExpectedValue(name)};
    }
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

std::optional<std::chrono::milliseconds> TimeoutOf(const RenderOptions& options) {
  if (!options.timeout_seconds) return std::nullopt;
  return std::chrono::milliseconds(static_cast<int64_t>(*options.timeout_seconds * 1000));
}

std::optional<std::string> RefusedExtension(const std::string& path,
                                            std::initializer_list<const char*> extensions) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (path == "-" || dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  std::string named;
  for (const char* allowed : extensions) {
    if (extension == allowed) return std::nullopt;
    named += (named.empty() ? "" : " or ") + std::string(allowed);
  }
  return "cannot write " + path + ": pictures are written as " + named;
}

}  // namespace dravel
