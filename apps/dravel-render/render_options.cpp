#include "render_options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

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

bool ParseFormat(std::string_view text, RenderOptions& options) {
  if (text == "png")
    options.svg_in_folder = false;
  else if (text == "svg")
    options.svg_in_folder = true;
  else
    return false;
  return true;
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
enum Modes : uint8_t { kScript = 1, kFolder = 2, kCheck = 4, kChild = 8, kMerge = 16 };

// How a folder run passes an option on to each script's process.
enum class ToChild : uint8_t {
  kNo,       // the folder run's own (or each child gets its own value)
  kAsGiven,  // the option as the command line gave it
};

// A text of the usage in both languages.
struct Words {
  std::string_view english;
  std::string_view chinese;
  std::string_view In(Language language) const {
    return language == Language::kChinese ? chinese : english;
  }
  bool Empty() const { return english.empty(); }
};

// One option of the command line. The usage text lists it under a single
// script with `help` and under a folder with `folder_help` (lines after the
// first start with '\n'); an option with neither is internal.
struct OptionRow {
  std::string_view short_name;  // "-o", or empty
  std::string_view name;
  std::string_view value;  // what the value is, "FILE"; empty for a flag
  uint8_t modes;
  Words help;
  Words folder_help;
  ToChild to_child;
  bool (*apply)(std::string_view value, RenderOptions& options);
  Words expected = {};  // what a refused value should have been
};

constexpr Words kSizeExpected = {"WxH, each side from 1 to 8192", "宽x高，每边 1 到 8192"};
static_assert(kMaxSide == 8192);
constexpr Words kPenWidthExpected = {"pixels, from 1 to 50", "像素，1 到 50"};
static_assert(kWidestWindowPen == 50);

const OptionRow kOptions[] = {
    {"-o",
     "--output",
     "FILE",
     kScript | kFolder,
     {"after the run, write the canvas to FILE: SVG when FILE\n"
      "ends in .svg (the drawing as vectors), PNG when it ends\n"
      "in .png or has no extension; - writes the PNG to\n"
      "standard output (the hint text then goes to standard\n"
      "error)",
      "运行后把画布写入 FILE：以 .svg 结尾时写 SVG（矢量图），\n"
      "以 .png 结尾或没有扩展名时写 PNG；- 把 PNG 写到标准\n"
      "输出（提示文字改写到标准错误）"},
     {"write the pictures and summaries there, making the folder\n"
      "when needed (default FOLDER)",
      "图片和汇总写到这个文件夹，需要时新建（默认为 FOLDER）"},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.output_path = std::string(value);
       return true;
     }},
    {"",
     "--turtle",
     "",
     kScript | kFolder,
     {"include the turtle sprites in the PNG", "PNG 里也画出海龟"},
     {},
     ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) { return options.paint_turtles = true; }},
    {"-n",
     "--count",
     "TEXT",
     kScript | kFolder,
     {"content of the run count box (default \"1\")", "运行次数框的内容（默认 \"1\"）"},
     {},
     ToChild::kAsGiven,
     [](std::string_view value, RenderOptions& options) {
       options.run_count = std::string(value);
       return true;
     }},
    {"",
     "--size",
     "WxH",
     kScript | kFolder,
     {"canvas size in pixels (default 732x420)", "画布大小，单位像素（默认 732x420）"},
     {},
     ToChild::kAsGiven,
     ParseSize,
     kSizeExpected},
    {"",
     "--edge",
     "MODE",
     kScript | kFolder,
     {"wrap, fence or unbounded (default wrap)", "wrap、fence 或 unbounded（默认 wrap）"},
     {},
     ToChild::kAsGiven,
     ParseEdge},
    {"",
     "--pen-width",
     "N",
     kScript | kFolder,
     {"the pen's width in pixels, from 1 to 50 (default 1), as\n"
      "the window's settings set it",
      "画笔宽度，1 到 50 像素（默认 1），同窗口的设置"},
     {},
     ToChild::kAsGiven,
     ParsePenWidth,
     kPenWidthExpected},
    {"",
     "--encoding",
     "ENC",
     kScript | kFolder | kCheck,
     {"gbk, utf-8, or auto (the default: UTF-8 when the bytes\n"
      "start with its byte order mark or are UTF-8 with a\n"
      "character of more than one byte, GBK otherwise): how\n"
      "to read every script, a reference's and a FOLDER's too",
      "gbk、utf-8 或 auto（默认：以 UTF-8 的字节顺序标记开头、\n"
      "或是含多字节字符的 UTF-8 时按 UTF-8，否则按 GBK）：\n"
      "每个脚本的读法，参考答案和 FOLDER 里的也一样"},
     {},
     ToChild::kAsGiven,
     ParseEncoding},
    {"",
     "--state",
     "",
     kScript,
     {"after the hint text, print: turtle X Y HEADING PEN VISIBLE",
      "提示文字之后打印：turtle X Y 方向 画笔 显示"},
     {},
     ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.print_state = true; }},
    {"",
     "--format",
     "FORMAT",
     kFolder,
     {},
     {"png (default) or svg", "png（默认）或 svg"},
     ToChild::kNo,
     ParseFormat},
    {"",
     "--contact-sheet",
     "FILE",
     kFolder,
     {},
     {"also write one PNG with every picture as a thumbnail\n"
      "under its file name",
      "另写一张 PNG：每幅图片一个缩略图，下面是文件名"},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.contact_sheet = std::string(value);
       return true;
     }},
    {"",
     "--timeout",
     "SECONDS",
     kScript | kFolder,
     {"press stop after this long (default 10): from 0 to\n"
      "1000000, to the millisecond (rounded down); 0 stops\n"
      "the run before its first command",
      "运行这么久后按停止（默认 10）：0 到 1000000，精确到\n"
      "毫秒（向下取整）；0 在第一条命令之前就停止"},
     {"per script; 10 unless given", "每个脚本各自计时；默认 10"},
     ToChild::kAsGiven,
     ParseTimeout,
     {"seconds, from 0 to 1000000", "秒，0 到 1000000"}},
    {"",
     "--gbk",
     "",
     kScript | kFolder | kCheck,
     {"write the hint text as GBK bytes instead of UTF-8", "提示文字以 GBK 字节输出，不用 UTF-8"},
     {},
     ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.gbk_output = true; }},
    {"",
     "--no-delay",
     "",
     kScript | kFolder,
     {"do not wait at 延时 lines (the final picture only)", "不在 延时 行等待（只要最后的图片）"},
     {},
     ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) {
       options.keep_delays = false;
       return true;
     }},
    {"",
     "--jobs",
     "N",
     kFolder,
     {},
     {"scripts run at the same time (default: one per core)",
      "同时运行的脚本数（默认：每个处理器核一个）"},
     ToChild::kNo,
     ParseJobs},
    {"",
     "--keep-delays",
     "",
     kFolder,
     {},
     {"wait at 延时 lines as the window does", "像窗口一样在 延时 行等待"},
     ToChild::kAsGiven,
     [](std::string_view, RenderOptions& options) {
       options.keep_delays = true;
       return true;
     }},
    {"",
     "--reference",
     "TARGET",
     kScript | kFolder,
     {"after the hint text, print 得分 N: the picture's score\n"
      "0-100 against TARGET (as below)",
      "提示文字之后打印 得分 N：图片与 TARGET 相比的得分\n"
      "0-100（见下）"},
     {"score each picture 0-100 against TARGET (a .dvg run\n"
      "the same way, or a PNG of the canvas size) laid where\n"
      "it fits best, moved, turned or mirrored; given again,\n"
      "each TARGET is an accepted answer and a picture gets\n"
      "the best of its scores; NAME-overlay.png shows what\n"
      "differs. A TARGET that does not end with 程序调试完毕！\n"
      "or draws nothing stops the run (status 2)",
      "每幅图片与 TARGET（同样运行的 .dvg，或画布大小的 PNG）\n"
      "比较，打分 0-100；TARGET 放在最吻合的地方，可移动、\n"
      "旋转或镜像；多次给出时每个 TARGET 都是可接受的答案，\n"
      "取最高分；NAME-overlay.png 显示不同之处。TARGET 没有\n"
      "以 程序调试完毕！ 结束或什么也没画时停止运行（状态 2）"},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.references.emplace_back(value);
       return true;
     }},
    {"",
     "--match",
     "MODE",
     kScript | kFolder,
     {},
     {"how a picture may lie on TARGET: moved (default: its\n"
      "place, direction and mirror image free, its size as\n"
      "TARGET's), exact (in place) or any-size (the size free\n"
      "too)",
      "图片怎样对上 TARGET：moved（默认：位置、方向和镜像\n"
      "不限，大小同 TARGET）、exact（原位）或 any-size（大小\n"
      "也不限）"},
     ToChild::kAsGiven,
     ParseMatch},
    {"",
     "--overlay",
     "FILE",
     kScript | kChild,
     {"with --reference, write what differs as a PNG: the\n"
      "strokes matched in the pen colour, TARGET's missing\n"
      "parts in red, strokes it lacks in orange",
      "与 --reference 一起用：把不同之处写成 PNG：对上的笔画\n"
      "用画笔的颜色，TARGET 缺少的部分红色，多出的笔画橙色"},
     {},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.overlay_path = std::string(value);
       return true;
     }},
    {"",
     "--memory-limit",
     "MB",
     kFolder,
     {},
     {"the most memory each script's process may take\n"
      "(default 2048)",
      "每个脚本的进程最多可用的内存（默认 2048）"},
     ToChild::kAsGiven,
     ParseMemoryLimit},
    {"",
     "--sort",
     "ORDER",
     kFolder,
     {},
     {"the order of the contact sheet and report.html: name\n"
      "(default) or score",
      "缩略图总览和 report.html 的顺序：name（默认）或 score"},
     ToChild::kNo,
     ParseSort},
    {"",
     "--check",
     "",
     kCheck,
     {},
     {},
     ToChild::kNo,
     [](std::string_view, RenderOptions& options) { return options.check = true; }},
    {"",
     "--merge",
     "OUT",
     kMerge,
     {},
     {},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.merge_output = std::string(value);
       return true;
     }},
    {"",
     "--batch-child",
     "REPORT",
     kChild,
     {},
     {},
     ToChild::kNo,
     [](std::string_view value, RenderOptions& options) {
       options.batch_report = std::string(value);
       return true;
     }},
    {"",
     "--batch-image",
     "FILE",
     kChild,
     {},
     {},
     ToChild::kNo,
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

constexpr Words kUsageHead = {
    "Usage: dravel-render [options] SCRIPT\n"
    "       dravel-render [options] FOLDER\n"
    "       dravel-render --check [--encoding ENC] SCRIPT...\n"
    "       dravel-render --merge OUT SUMMARY...\n"
    "Runs a Dravel script as the run button would, with no window, and prints the hint box.\n"
    "SCRIPT is a source file (GBK or UTF-8 bytes), or - for standard input.\n"
    "\n",
    "用法：dravel-render [选项] SCRIPT\n"
    "      dravel-render [选项] FOLDER\n"
    "      dravel-render --check [--encoding ENC] SCRIPT...\n"
    "      dravel-render --merge OUT SUMMARY...\n"
    "像运行按钮一样运行一个 Dravel 脚本，不开窗口，并打印提示框的内容。\n"
    "SCRIPT 是源文件（GBK 或 UTF-8），- 表示标准输入。\n"
    "\n"};

constexpr Words kUsageFolder = {
    "  -h, --help            show this help\n"
    "      --version         show the version\n"
    "\n"
    "\n"
    "Given a FOLDER, runs every .dvg file in it (not in subfolders; any case, any\n"
    "encoding of the name), each in a process of its own on a fresh canvas, and\n"
    "writes NAME.png (or NAME.svg) for each, summary.txt (one line per script: its\n"
    "exit status, its result (ok, failed, timeout, out of memory, crashed,\n"
    "unreadable), the last line of its hint text, where in the file that line\n"
    "points, and with --reference its score, a dash for a run that did not end;\n"
    "tab-separated) and summary.csv (the same for a spreadsheet, with the lines drawn\n"
    "and the run time), each row ending with the checker's findings (how many, the\n"
    "first) and its group of copies (the same text once comment lines, blank lines\n"
    "and spaces are set aside and aliases read as keywords; a text a quarter of the\n"
    "class shares, or a reference's, is no copy); and report.html, a page in Chinese\n"
    "with every picture and each group's members, for a browser or a printer. A\n"
    "FOLDER holding no script but folders of them is a parent of classes: each is\n"
    "marked as a class of its own into one output, the rows naming their class.\n"
    "The words are Chinese when the locale is (LC_ALL, LC_MESSAGES or LANG zh_*).\n"
    "延时 lines do not wait in a folder run.\n",
    "  -h, --help            显示本帮助\n"
    "      --version         显示版本\n"
    "\n"
    "\n"
    "给出文件夹 FOLDER 时，运行其中每个 .dvg 文件（不含子文件夹；扩展名大小写不限，\n"
    "文件名任何编码），每个在自己的进程里、在新画布上运行，并为每个写出 NAME.png\n"
    "（或 NAME.svg）、summary.txt（每个脚本一行：退出码、结果（完成、出错、超时、\n"
    "内存不足、崩溃、无法读取）、提示文字的最后一行、该行指向文件的位置，有\n"
    "--reference 时还有得分，没有运行完的为 —；以制表符分隔）和 summary.csv（内容\n"
    "相同，供电子表格使用，另有画的线数和运行时间），每行最后是检查发现（几处、\n"
    "第一处）和相同脚本的组号（去掉注释行、空行和空格、把英文别名读作关键字后\n"
    "文字相同；全班四分之一以上共有的或与参考答案相同的不算）；以及 report.html：\n"
    "一页中文网页，含每幅图片和每组相同脚本的成员，可在浏览器中查看或打印。\n"
    "FOLDER 里没有脚本、只有装着脚本的文件夹时，它是各班的上级文件夹：每个班\n"
    "单独批改，写进同一个输出，每行注明班级。\n"
    "区域设置为中文时（LC_ALL、LC_MESSAGES 或 LANG 为 zh_*）文字是中文。\n"
    "文件夹运行时 延时 行不等待。\n"};

constexpr Words kUsageTail = {
    "The exit status is 0 when every script ended with its closing message, 1 when\n"
    "one did not or the folder holds no script, 2 when something could not be read\n"
    "or written.\n"
    "\n"
    "With --merge, runs nothing: joins the summary.csv files of runs made apart (on\n"
    "several machines, say) into OUT/summary.csv and OUT/report.html, each row with\n"
    "its class (the SUMMARY's folder's name unless its rows name one). A SUMMARY may\n"
    "be a summary.csv or a folder holding one, or folders that do.\n"
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
    "timeout), 2 on bad usage or an unreadable script.\n",
    "退出码：每个脚本都以结束语结束时为 0，有一个没有、或文件夹里没有脚本时为 1，\n"
    "有东西无法读取或写入时为 2。\n"
    "\n"
    "用 --merge 时不运行脚本：把分开运行（比如在几台机器上）的 summary.csv 合并成\n"
    "OUT/summary.csv 和 OUT/report.html，每行注明班级（行里没有班级时用 SUMMARY\n"
    "所在文件夹的名字）。SUMMARY 可以是 summary.csv、含有它的文件夹，或含有这种\n"
    "文件夹的文件夹。\n"
    "\n"
    "用 --check 时不运行脚本：像运行时一样读每个 SCRIPT，打印会出错或多半不是本意\n"
    "的地方，每处一行：FILE:行:列: 说明（UTF-8；用 --gbk 或明确的 --encoding gbk\n"
    "时为 GBK），有修正办法的后面缩进一行，是修正后的那一行（修正把命令移到单独\n"
    "一行时为两行）。\n"
    "退出码：没有发现为 0，有发现为 1，有 SCRIPT 无法读取为 2。\n"
    "\n"
    "超过 2 MiB 的提示文字只打印开头 1 MiB、一行说明略去了几行，和最后 1 MiB。\n"
    "\n"
    "退出码：运行以结束语结束为 0，以别的方式结束（出错的行、停止命令、没有值的\n"
    "次数行、超时）为 1，用法不对或脚本无法读取为 2。\n"};

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
    return UsageError{SaidText(Said::kUnknownOption, {arg})};
  if (!row->value.empty() && !value) {
    if (i + 1 >= argc) return UsageError{SaidText(Said::kNeedsValue, {name})};
    value = argv[++i];
  }
  if (Apply(*row, value.value_or(""), options)) return std::nullopt;
  const Language language = LocaleLanguage();
  const bool chinese = language == Language::kChinese;
  const std::string expected = row->expected.Empty() ? ""
                                                     : (chinese ? "（" : " (") +
                                                           std::string(row->expected.In(language)) +
                                                           (chinese ? "）" : ")");
  return UsageError{SaidText(Said::kBadValue, {name, *value}) + expected};
}
}  // namespace

std::string RenderUsage(Language language) {
  std::string text(kUsageHead.In(language));
  for (const OptionRow& row : kOptions)
    if (!row.help.Empty()) text += HelpLines(row, row.help.In(language));
  text += kUsageFolder.In(language);
  for (const OptionRow& row : kOptions)
    if (!row.folder_help.Empty()) text += HelpLines(row, row.folder_help.In(language));
  return text + std::string(kUsageTail.In(language));
}

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
  if (options.merge_output) {
    if (scripts.empty()) return UsageError{SaidText(Said::kMergeNeedsSummaries)};
    options.merged = std::move(scripts);
    return options;
  }
  if (scripts.empty()) return UsageError{SaidText(Said::kNoScript)};
  if (scripts.size() > 1 && !options.check) return UsageError{SaidText(Said::kManyScripts)};
  // Silently ignored, it would leave a teacher looking for a file never made.
  if (options.overlay_path && options.references.empty())
    return UsageError{SaidText(Said::kOverlayAlone)};
  options.script_path = scripts.front();
  if (options.check) options.check_paths = std::move(scripts);
  return options;
}

std::string UsageFailureText(std::string_view program, const std::string& message) {
  const std::string name(program);
  return name + ": " + message + "\n" + SaidText(Said::kTryHelp, {name}) + "\n";
}

std::chrono::milliseconds TimeoutOf(const RenderOptions& options) {
  const double seconds = options.timeout_seconds.value_or(kDefaultTimeoutSeconds);
  return std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
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
    named += (named.empty() ? "" : SaidText(Said::kOr)) + std::string(allowed);
  }
  return SaidText(Said::kCannotWriteWhy, {path, SaidText(Said::kPicturesAre, {named})});
}

}  // namespace dravel
