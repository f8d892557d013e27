#include "apps/dravel-render/option_table.h"

#include <optional>
#include <string>
#include <vector>

#include "apps/dravel-render/option_values.h"
#include "canvas/window_look.h"

namespace dravel {

namespace {

constexpr Words kSizeExpected = {"WxH, each side from 1 to 8192", "宽x高，每边 1 到 8192"};
static_assert(kMaxSide == 8192);
constexpr Words kPenWidthExpected = {"pixels, from 1 to 50", "像素，1 到 50"};
static_assert(kWidestWindowPen == 50);

using Values = std::vector<std::string>;

Values Flag(bool set) { return set ? Values{""} : Values{}; }

Values Given(const std::optional<std::string>& value) { return value ? Values{*value} : Values{}; }

// A value written only when it is not what a run takes by default.
template <typename Value>
Values Unless(const Value& value, const Value& by_default, std::string text) {
  return value == by_default ? Values{} : Values{std::move(text)};
}

std::string DefaultSize() { return SizeText(kCanvasWidth, kCanvasHeight); }

constexpr uint8_t kEveryMode = kScript | kFolder | kCheck | kChild | kMerge;

const OptionRow kOptions[] = {
    {"-o",
     "--output",
     "FILE",
     kScript | kFolder | kChild,
     {"after the run, write the canvas to FILE: SVG when FILE\n"
      "ends in .svg (the drawing as vectors), PNG when it ends\n"
      "in .png or has no extension; - writes the PNG to\n"
      "standard output (the hint text then goes to standard\n"
      "error)",
      "运行后把画布写入 FILE：以 .svg 结尾时写 SVG（矢量图），\n"
      "以 .png 结尾或没有扩展名时写 PNG；- 把 PNG 写到标准\n"
      "输出（提示文字改写到标准错误）"},
     {"write the pictures and summaries there, making the folder\n"
      "when needed (default: FOLDER-批改 beside FOLDER)",
      "图片和汇总写到这个文件夹，需要时新建（默认为 FOLDER\n"
      "旁边的 FOLDER-批改）"},
     [](const RenderOptions& options) { return Given(options.output_path); },
     [](std::string_view value, RenderOptions& options) {
       options.output_path = std::string(value);
       return true;
     }},
    {"",
     "--turtle",
     "",
     kScript | kFolder | kChild,
     {"include the turtle sprites in the PNG", "PNG 里也画出海龟"},
     {},
     [](const RenderOptions& options) { return Flag(options.paint_turtles); },
     [](std::string_view, RenderOptions& options) { return options.paint_turtles = true; }},
    {"-n",
     "--count",
     "TEXT",
     kScript | kFolder | kChild,
     {"content of the run count box (default \"1\")", "运行次数框的内容（默认 \"1\"）"},
     {},
     [](const RenderOptions& options) {
       return Unless(options.run_count, RenderOptions().run_count, options.run_count);
     },
     [](std::string_view value, RenderOptions& options) {
       options.run_count = std::string(value);
       return true;
     }},
    {"",
     "--size",
     "WxH",
     kScript | kFolder | kChild,
     {"canvas size in pixels (default {})", "画布大小，单位像素（默认 {}）"},
     {},
     [](const RenderOptions& options) {
       const std::string size = SizeText(options.width, options.height);
       return Unless(size, DefaultSize(), size);
     },
     ParseSize,
     kSizeExpected,
     DefaultSize},
    {"",
     "--edge",
     "MODE",
     kScript | kFolder | kChild,
     {"wrap, fence or unbounded (default wrap)", "wrap、fence 或 unbounded（默认 wrap）"},
     {},
     [](const RenderOptions& options) {
       return Unless(options.edge_mode, RenderOptions().edge_mode,
                     std::string(EdgeText(options.edge_mode)));
     },
     ParseEdge},
    {"",
     "--pen-width",
     "N",
     kScript | kFolder | kChild,
     {"the pen's width in pixels, from 1 to 50 (default 1), as\n"
      "the window's settings set it",
      "画笔宽度，1 到 50 像素（默认 1），同窗口的设置"},
     {},
     [](const RenderOptions& options) {
       return Unless(options.pen_width, RenderOptions().pen_width,
                     std::to_string(options.pen_width));
     },
     ParsePenWidth,
     kPenWidthExpected},
    {"",
     "--encoding",
     "ENC",
     kScript | kFolder | kCheck | kChild,
     {"gbk, utf-8, or auto (the default: UTF-8 when the bytes\n"
      "start with its byte order mark or are UTF-8 with a\n"
      "character of more than one byte, GBK otherwise): how\n"
      "to read every script, a reference's and a FOLDER's too",
      "gbk、utf-8 或 auto（默认：以 UTF-8 的字节顺序标记开头、\n"
      "或是含多字节字符的 UTF-8 时按 UTF-8，否则按 GBK）：\n"
      "每个脚本的读法，参考答案和 FOLDER 里的也一样"},
     {},
     [](const RenderOptions& options) {
       return options.encoding_given ? Values{std::string(EncodingText(options.encoding))}
                                     : Values{};
     },
     ParseEncoding},
    {"",
     "--state",
     "",
     kScript,
     {"after the hint text, print: turtle X Y HEADING PEN VISIBLE",
      "提示文字之后打印：turtle X Y 方向 画笔 显示"},
     {},
     nullptr,
     [](std::string_view, RenderOptions& options) { return options.print_state = true; }},
    {"",
     "--format",
     "FORMAT",
     kFolder,
     {},
     {"png (default) or svg", "png（默认）或 svg"},
     nullptr,
     ParseFormat},
    {"",
     "--contact-sheet",
     "FILE",
     kFolder,
     {},
     {"also write one PNG with every picture as a thumbnail\n"
      "under its file name",
      "另写一张 PNG：每幅图片一个缩略图，下面是文件名"},
     nullptr,
     [](std::string_view value, RenderOptions& options) {
       options.contact_sheet = std::string(value);
       return true;
     }},
    {"",
     "--timeout",
     "SECONDS",
     kScript | kFolder | kCheck | kChild,
     {"press stop after this long: from 0 to 1000000, to the\n"
      "millisecond (rounded down); 0 stops the run before\n"
      "its first command; reading the script counts (default\n"
      "10)",
      "运行这么久后按停止：0 到 1000000，精确到毫秒（向下\n"
      "取整）；0 在第一条命令之前就停止；读脚本的时间也算在\n"
      "内（默认 10）"},
     {"per script; 10 unless given", "每个脚本各自计时；默认 10"},
     [](const RenderOptions& options) {
       return options.timeout_seconds ? Values{TimeoutText(*options.timeout_seconds)} : Values{};
     },
     ParseTimeout,
     {"seconds, from 0 to 1000000", "秒，0 到 1000000"}},
    {"",
     "--gbk",
     "",
     kScript | kFolder | kCheck | kMerge,
     {"write the hint text as GBK bytes instead of UTF-8", "提示文字以 GBK 字节输出，不用 UTF-8"},
     {},
     nullptr,
     [](std::string_view, RenderOptions& options) { return options.gbk_output = true; }},
    {"",
     "--no-delay",
     "",
     kScript | kFolder | kChild,
     {"do not wait at 延时 lines (the final picture only)", "不在 延时 行等待（只要最后的图片）"},
     {},
     [](const RenderOptions& options) { return Flag(options.keep_delays == false); },
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
     nullptr,
     ParseJobs},
    {"",
     "--keep-delays",
     "",
     kFolder | kChild,
     {},
     {"wait at 延时 lines as the window does", "像窗口一样在 延时 行等待"},
     [](const RenderOptions& options) { return Flag(options.keep_delays == true); },
     [](std::string_view, RenderOptions& options) {
       options.keep_delays = true;
       return true;
     }},
    {"",
     "--reference",
     "TARGET",
     kScript | kFolder | kChild,
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
     [](const RenderOptions& options) { return options.references; },
     [](std::string_view value, RenderOptions& options) {
       options.references.emplace_back(value);
       return true;
     }},
    {"",
     "--match",
     "MODE",
     kScript | kFolder | kChild,
     {},
     {"how a picture may lie on TARGET: moved (default: its\n"
      "place, direction and mirror image free, its size as\n"
      "TARGET's), exact (in place) or any-size (the size free\n"
      "too)",
      "图片怎样对上 TARGET：moved（默认：位置、方向和镜像\n"
      "不限，大小同 TARGET）、exact（原位）或 any-size（大小\n"
      "也不限）"},
     [](const RenderOptions& options) {
       return Unless(options.match, RenderOptions().match, std::string(MatchText(options.match)));
     },
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
     [](const RenderOptions& options) { return Given(options.overlay_path); },
     [](std::string_view value, RenderOptions& options) {
       options.overlay_path = std::string(value);
       return true;
     }},
    {"",
     "--memory-limit",
     "MB",
     kScript | kFolder | kCheck | kChild,
     {"the most memory the run may take (default 2048)", "运行最多可用的内存（默认 2048）"},
     {"the most memory each script's process may take\n"
      "(default 2048)",
      "每个脚本的进程最多可用的内存（默认 2048）"},
     [](const RenderOptions& options) {
       return Unless(options.memory_limit_mb, 0, std::to_string(options.memory_limit_mb));
     },
     ParseMemoryLimit},
    {.short_name = "-h",
     .name = "--help",
     .modes = kEveryMode,
     .help = {"show this help", "显示本帮助"},
     .asks = Asks::kHelp},
    {.name = "--version",
     .modes = kEveryMode,
     .help = {"show the version", "显示版本"},
     .asks = Asks::kVersion},
    {"",
     "--sort",
     "ORDER",
     kFolder,
     {},
     {"the order of the contact sheet and report.html: name\n"
      "(default) or score",
      "缩略图总览和 report.html 的顺序：name（默认）或 score"},
     nullptr,
     ParseSort},
    {"",
     "--overwrite",
     "",
     kFolder | kMerge,
     {},
     {"replace files in the output folder that no earlier run\n"
      "wrote (without it, such a file stops the run, status 2)",
      "替换输出文件夹里不是以前的运行写的文件（不给时，这样的\n"
      "文件会让运行停下，退出码 2）"},
     nullptr,
     [](std::string_view, RenderOptions& options) { return options.overwrite = true; }},
    {"",
     "--check",
     "",
     kCheck,
     {},
     {},
     nullptr,
     [](std::string_view, RenderOptions& options) { return options.check = true; }},
    {"",
     "--merge",
     "OUT",
     kMerge,
     {},
     {},
     nullptr,
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
     [](const RenderOptions& options) { return Given(options.batch_report); },
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
     [](const RenderOptions& options) { return Given(options.batch_image); },
     [](std::string_view value, RenderOptions& options) {
       options.batch_image = std::string(value);
       return true;
     }},
};

}  // namespace

std::span<const OptionRow> OptionTable() { return kOptions; }

}  // namespace dravel
