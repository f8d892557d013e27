#include "apps/dravel-render/option_table.h"

#include <string>

namespace dravel {
namespace {

constexpr size_t kHelpColumn = 24;

// The option's lines of the usage text: its names, then `help` at the help
// column (two spaces past names that reach it), "{}" in it as the row's
// default.
std::string HelpLines(const OptionRow& row, std::string_view help) {
  std::string line = "  " + (row.short_name.empty() ? "    " : std::string(row.short_name) + ", ");
  line += row.name;
  if (!row.value.empty()) line += " " + std::string(row.value);
  line.append(line.size() + 2 <= kHelpColumn ? kHelpColumn - line.size() : 2, ' ');
  for (size_t i = 0; i < help.size(); ++i) {
    if (help[i] == '\n') {
      line += "\n" + std::string(kHelpColumn, ' ');
    } else if (help.substr(i, 2) == "{}" && row.shown_default) {
      line += row.shown_default();
      ++i;
    } else {
      line += help[i];
    }
  }
  return line + "\n";
}

constexpr Words kUsageHead = {
    "Usage: dravel-render [options] SCRIPT\n"
    "       dravel-render [options] FOLDER\n"
    "       dravel-render --check [--encoding ENC] [--timeout S] [--memory-limit MB]\n"
    "                     SCRIPT...\n"
    "       dravel-render --merge OUT SUMMARY...\n"
    "Runs a Dravel script as the run button would, with no window, and prints the hint box.\n"
    "SCRIPT is a source file (GBK or UTF-8 bytes), or - for standard input.\n"
    "\n",
    "用法：dravel-render [选项] SCRIPT\n"
    "      dravel-render [选项] FOLDER\n"
    "      dravel-render --check [--encoding ENC] [--timeout S] [--memory-limit MB]\n"
    "                    SCRIPT...\n"
    "      dravel-render --merge OUT SUMMARY...\n"
    "像运行按钮一样运行一个 Dravel 脚本，不开窗口，并打印提示框的内容。\n"
    "SCRIPT 是源文件（GBK 或 UTF-8），- 表示标准输入。\n"
    "\n"};

constexpr Words kUsageFolder = {
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
    "延时 lines do not wait in a folder run. Only regular files are read: a link or\n"
    "anything else gets a row saying so. Without -o the output is FOLDER-批改 beside\n"
    "FOLDER; a file in it that no earlier run wrote (listed in its\n"
    ".dravel-render-files) stops the run before anything is written.\n",
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
    "文件夹运行时 延时 行不等待。只读普通文件：符号链接或别的东西也有一行，说明\n"
    "没有读。不给 -o 时输出到 FOLDER 旁边的 FOLDER-批改；其中有以前的运行没有写过\n"
    "的文件（不在它的 .dravel-render-files 里）时，运行在写任何东西之前停下。\n"};

constexpr Words kUsageTail = {
    "The exit status is 0 when every script ended with its closing message, 1 when\n"
    "one did not or the folder holds no script, 2 when something could not be read\n"
    "or written.\n"
    "\n"
    "With --merge, runs nothing: joins the summary.csv files of runs made apart (on\n"
    "several machines, say) into OUT/summary.csv and OUT/report.html, each row with\n"
    "its class (the SUMMARY's folder's name unless its rows name one). A SUMMARY may\n"
    "be a summary.csv or a folder holding one, or folders that do. As a folder run,\n"
    "it replaces in OUT only what an earlier run wrote (--overwrite to replace more).\n"
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
    "timeout), 2 on bad usage or an unreadable script.\n",
    "退出码：每个脚本都以结束语结束时为 0，有一个没有、或文件夹里没有脚本时为 1，\n"
    "有东西无法读取或写入时为 2。\n"
    "\n"
    "用 --merge 时不运行脚本：把分开运行（比如在几台机器上）的 summary.csv 合并成\n"
    "OUT/summary.csv 和 OUT/report.html，每行注明班级（行里没有班级时用 SUMMARY\n"
    "所在文件夹的名字）。SUMMARY 可以是 summary.csv、含有它的文件夹，或含有这种\n"
    "文件夹的文件夹。和文件夹运行一样，它在 OUT 里只替换以前的运行写的文件（用\n"
    "--overwrite 替换别的）。\n"
    "\n"
    "用 --check 时不运行脚本：像运行时一样读每个 SCRIPT，打印会出错或多半不是本意\n"
    "的地方，每处一行：FILE:行:列: 说明（UTF-8；用 --gbk 或明确的 --encoding gbk\n"
    "时为 GBK），有修正办法的后面缩进一行，是修正后的那一行（修正把命令移到单独\n"
    "一行时为两行）。每个 SCRIPT 都在超时和内存限制之内读取和检查。\n"
    "退出码：没有发现为 0，有发现为 1，有 SCRIPT 无法读取、或无法在限制之内检查完\n"
    "为 2。\n"
    "\n"
    "超过 2 MiB 的提示文字只打印开头 1 MiB、一行说明略去了几行，和最后 1 MiB。\n"
    "\n"
    "退出码：运行以结束语结束为 0，以别的方式结束（出错的行、停止命令、没有值的\n"
    "次数行、超时）为 1，用法不对或脚本无法读取为 2。\n"};

}  // namespace

std::string RenderUsage(Language language) {
  std::string text(kUsageHead.In(language));
  for (const OptionRow& row : OptionTable())
    if (!row.help.Empty()) text += HelpLines(row, row.help.In(language));
  text += kUsageFolder.In(language);
  for (const OptionRow& row : OptionTable())
    if (!row.folder_help.Empty()) text += HelpLines(row, row.folder_help.In(language));
  return text + std::string(kUsageTail.In(language));
}

}  // namespace dravel
