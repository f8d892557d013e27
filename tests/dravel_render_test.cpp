// dravel-render end to end: the binary run on scripts in data/, checked by its
// standard output, its exit status, the state line and a few PNG pixels.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "canvas/window_look.h"
#include "runtime/gbk_codec.h"
#include "runtime/sanitized_build.h"
#include "support/render_process.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

fs::path Data(const std::string& name) { return fs::path(DRAVEL_TEST_DATA) / name; }

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

fs::path TempFile(const std::string& name) {
  return fs::temp_directory_path() /
         ("dravel_render_test_" + std::to_string(getpid()) + "_" + name);
}

TEST(DravelRender, PrintsTheHintTextOfEveryLanguageCase) {
  for (const fs::directory_entry& entry : fs::directory_iterator(Data("language"))) {
    if (entry.path().extension() != ".dvg") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const Result result = Render(entry.path().string());
    fs::path hint = entry.path();
    const std::string expected = ReadAll(hint.replace_extension(".hint"));
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.status, expected.ends_with("程序调试完毕！\n") ? 0 : 1);
  }
}

TEST(DravelRender, WritesTheCanvasAndTheTurtleState) {
  const fs::path png = TempFile("square.png");
  const Result result =
      Render("--state -o " + png.string() + " " + Data("render/square.dvg").string());
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.out.ends_with("程序调试完毕！\nturtle -50 20 90 -1 1\n")) << result.out;
  const QImage image(QString::fromStdString(png.string()));
  ASSERT_EQ(image.size(), QSize(kCanvasWidth, kCanvasHeight));
  const QColor green(0, 255, 0), background(96, 96, 96);
  // The square runs right from the centre (366, 210), then down, left and up.
  EXPECT_EQ(image.pixelColor(416, 210), green);
  EXPECT_EQ(image.pixelColor(466, 260), green);
  EXPECT_EQ(image.pixelColor(416, 310), green);
  EXPECT_EQ(image.pixelColor(366, 260), green);
  EXPECT_EQ(image.pixelColor(416, 260), background);
  EXPECT_EQ(image.pixelColor(5, 5), background);
  fs::remove(png);
}

TEST(DravelRender, DrawsWithThePenWidthGiven) {
  const fs::path script = TempFile("line.dvg");
  std::ofstream(script, std::ios::binary) << "go 100\r\n";
  const struct {
    const char* width;
    int half;  // the columns either side of the line's own that it covers
  } cases[] = {{"1", 0}, {"7", 3}, {"49", 24}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    const fs::path png = TempFile("line.png");
    ASSERT_EQ(Render("--pen-width " + std::string(c.width) + " -o " + png.string() + " " +
                     script.string())
                  .status,
              0);
    const QImage image(QString::fromStdString(png.string()));
    // The line runs up from the centre (366, 210).
    for (const int side : {-1, 1}) {
      EXPECT_EQ(image.pixelColor(366 + side * c.half, 160), QColor(0, 255, 0));
      EXPECT_EQ(image.pixelColor(366 + side * (c.half + 1), 160), QColor(96, 96, 96));
    }
    fs::remove(png);
  }
  fs::remove(script);
}

// Which files `arguments` makes dravel-render open, by strace's log; nullopt
// without strace.
std::optional<std::string> OpenedFiles(const std::string& arguments, int& status) {
  if (RunCommand("command -v strace >/dev/null").status != 0) return std::nullopt;
  const fs::path log = TempFile("strace.log");
  // The leak sanitizer cannot work under a tracer and would fail the run.
  status = RunCommand(
               "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" "
               "strace -f -qq -e trace=open,openat -o " +
               log.string() + " " + DRAVEL_RENDER + " " + arguments + " >/dev/null 2>&1")
               .status;
  const std::string opened = ReadAll(log);
  fs::remove(log);
  return opened;
}

// True when the picture at `png` has a pixel of the pen's green.
bool Inked(const fs::path& png) {
  const QImage image(QString::fromStdString(png.string()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(0, 255, 0)) return true;
  return false;
}

// A folder of its own holding `name` with `script`.
fs::path FolderWith(const std::string& folder, const std::string& name, const char* script) {
  const fs::path path = TempFile(folder);
  fs::create_directories(path);
  std::ofstream(path / name, std::ios::binary) << script;
  return path;
}

TEST(DravelRender, ReadsTheFontOnlyForAScriptThatWritesTextAndNeverOpensQt) {
  const fs::path lines = FolderWith("lines", "lines.dvg", "go 100\r\n");
  const fs::path text = FolderWith("text", "text.dvg", "settext Dravel\r\n");
  const fs::path out = TempFile("out"), png = out / "picture.png";
  fs::create_directories(out);
  // The single script, and the folder mode with its children (-f follows them).
  const struct {
    const char* name;
    std::string lines, text;  // the arguments for each script
    fs::path picture;         // where the text's picture is
  } cases[] = {
      {"single", "-o " + png.string() + " " + (lines / "lines.dvg").string(),
       "-o " + png.string() + " " + (text / "text.dvg").string(), png},
      {"folder", "-o " + out.string() + " " + lines.string(),
       "-o " + out.string() + " " + text.string(), out / "text.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int status = -1;
    const std::optional<std::string> without = OpenedFiles(c.lines, status);
    if (!without) GTEST_SKIP() << "strace is not installed (scripts/install-deps installs it)";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(without->find("libQt6"), std::string::npos) << *without;
    EXPECT_EQ(without->find("dravel-text.ttf"), std::string::npos) << *without;

    const std::string with = *OpenedFiles(c.text, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(with.find("dravel-text.ttf"), std::string::npos) << with;
    EXPECT_EQ(with.find("libQt6"), std::string::npos) << with;
    EXPECT_TRUE(Inked(c.picture)) << "the text is all there is to draw";
  }
  for (const fs::path& folder : {lines, text, out}) fs::remove_all(folder);
}

// A copy of the program outside the build tree has neither its font nor its
// library beside it.
TEST(DravelRender, WithoutItsFontRefusesTextAndWithoutItsLibraryTheSheet) {
  const fs::path alone = FolderWith("alone", "lines.dvg", "go 100\r\n");
  fs::copy_file(DRAVEL_RENDER, alone / "dravel-render");
  const std::string program = (alone / "dravel-render").string() + " ";
  const fs::path lines = alone / "lines.dvg", text = alone / "text.dvg", out = alone / "out";
  EXPECT_EQ(RunCommand(program + lines.string()).status, 0);
  const std::string folder = "-o " + out.string() + " " + alone.string() + " 2>&1";
  EXPECT_EQ(RunCommand(program + folder).status, 0) << "a folder run without text or sheet";

  std::ofstream(text, std::ios::binary) << "settext Dravel\r\n";
  const Result refused = RunCommand(program + text.string() + " 2>&1");
  EXPECT_EQ(refused.status, 2);
  const std::string cannot =
      "dravel-render: cannot read the text font (looked at " + (alone / "dravel-text.ttf").string();
  EXPECT_TRUE(refused.out.starts_with(cannot)) << refused.out;
  EXPECT_EQ(RunCommand(program + folder).status, 1) << "the text's row failed, the rest ran";
  const std::string summary = ReadAll(out / "summary.txt");
  EXPECT_NE(summary.find("cannot read the text font"), std::string::npos) << summary;
  const Result reference = RunCommand(program + "--reference " + text.string() + " " + folder);
  EXPECT_EQ(reference.status, 2);
  EXPECT_NE(
      reference.out.find("the reference " + text.string() + " cannot be run: " + cannot.substr(15)),
      std::string::npos)
      << "says why, not that it ends badly: " << reference.out;
  fs::remove_all(out);
  const Result sheet =
      RunCommand(program + "--contact-sheet " + (alone / "sheet.png").string() + " " + folder);
  EXPECT_EQ(sheet.status, 2);
  EXPECT_TRUE(sheet.out.starts_with("dravel-render: cannot load the text library: ")) << sheet.out;
  EXPECT_FALSE(fs::exists(out)) << "refused before it starts";
  fs::remove_all(alone);
}

TEST(DravelRender, HonoursSizeEdgeAndCount) {
  const fs::path script = TempFile("script.dvg");
  std::ofstream(script, std::ios::binary) << "go 300\r\n";
  Result result = Render("--state --size 100x100 --edge unbounded -n 2 " + script.string());
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("第2次：执行命令完毕！\n程序调试完毕！\nturtle "), std::string::npos)
      << result.out;
  EXPECT_TRUE(result.out.ends_with(" 600 0 0 1\n")) << result.out;  // x is off zero by rounding
  result = Render("-n '' " + script.string());
  EXPECT_TRUE(result.out.ends_with("第1次：执行命令完毕！\n程序调试完毕！\n")) << result.out;
  result = Render("-n abc " + script.string());
  EXPECT_EQ(result.out, "提示信息：\n开始调试现行程序...\n程序调试完毕！\n");
  fs::remove(script);
}

TEST(DravelRender, ReadsStandardInputAndUtf8Scripts) {
  Result result = Render("--encoding utf-8 - < /dev/null");
  EXPECT_EQ(result.status, 0);
  const fs::path script = TempFile("utf8.dvg");
  std::ofstream(script, std::ios::binary) << "次数 2\n前进 1\n停止\n";
  result = Render("--encoding utf-8 " + script.string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "提示信息：\n开始调试现行程序...\n已被第3行 停止 命令停止调试！\n");
  result = Render("--gbk --encoding=utf-8 - < " + script.string());
  EXPECT_EQ(result.out,
            Utf8ToGbk("提示信息：\n开始调试现行程序...\n已被第3行 停止 命令停止调试！\n"));
  // auto: UTF-8 is read as UTF-8, GBK as GBK.
  result = Render("--encoding auto " + script.string());
  EXPECT_EQ(result.out, "提示信息：\n开始调试现行程序...\n已被第3行 停止 命令停止调试！\n");
  std::ofstream(script, std::ios::binary) << Utf8ToGbk("次数 2\n前进 1\n停止\n");
  EXPECT_EQ(Render("--encoding auto " + script.string()).out, result.out);
  fs::remove(script);
}

TEST(DravelRender, PressesStopAtTheTimeout) {
  const Result result = Render("--state --timeout 0.05 " + Data("render/long_delay.dvg").string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "提示信息：\n开始调试现行程序...\n已停止调试程序！\nturtle 0 0 0 0 1\n");
}

TEST(DravelRender, TheHintComesFirstWhateverHappensAfter) {
  // Stopped before the run could write a word: the header is still there.
  Result result = Render("--timeout 1e-9 " + Data("render/long_delay.dvg").string());
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.out.starts_with("提示信息：\n")) << result.out;
  EXPECT_TRUE(result.out.ends_with("已停止调试程序！\n")) << result.out;
  // A picture that cannot be written: the run's hint, then status 2.
  result = Render("-o /nonexistent/x.png " + Data("class/square.dvg").string());
  EXPECT_EQ(result.status, 2);
  EXPECT_TRUE(result.out.ends_with("程序调试完毕！\n")) << result.out;
}

TEST(DravelRender, ACanvasTheMemoryCannotHoldIsRefused) {
#ifdef DRAVEL_SANITIZED
  GTEST_SKIP() << "address space limits do not mix with the sanitizers";
#endif
  const std::string square = Data("class/square.dvg").string();
  // Room for one layer of 256 MiB, not for the second.
  const Result single = RunCommand("ulimit -v 450000; " + std::string(DRAVEL_RENDER) +
                                   " --size 8192x8192 " + square + " 2>&1");
  EXPECT_EQ(single.status, 2);
  EXPECT_EQ(single.out, "dravel-render: not enough memory for a canvas of 8192x8192\n");
  // A folder run under a limit no canvas of that size fits is refused at once.
  const fs::path folder = TempFile("memory");
  fs::create_directories(folder);
  fs::copy_file(square, folder / "square.dvg");
  const Result rows =
      RunCommand(std::string(DRAVEL_RENDER) + " --size 8192x8192 --memory-limit 300 " +
                 folder.string() + " 2>&1");
  EXPECT_EQ(rows.status, 2);
  EXPECT_TRUE(rows.out.starts_with("dravel-render: --memory-limit 300 is too small")) << rows.out;
  fs::remove_all(folder);
}

// A long text turned to the diagonal needs a mask of the whole 8192x8192
// canvas; under limits that leave room for the canvas, some not for the mask,
// every run ends with a status and a word of its own, never a signal.
TEST(DravelRender, TextWithoutMemoryForItsMaskEndsWithAStatus) {
#ifdef DRAVEL_SANITIZED
  GTEST_SKIP() << "address space limits do not mix with the sanitizers";
#endif
  const fs::path script = TempFile("long_text.dvg");
  std::ofstream(script, std::ios::binary) << "right 45\r\nsettext " << std::string(3000, 'W');
  for (int megabytes = 560; megabytes <= 880; megabytes += 16) {
    SCOPED_TRACE(megabytes);
    const Result run =
        RunCommand("ulimit -v " + std::to_string(megabytes * 1000) + "; " + DRAVEL_RENDER +
                   " --size 8192x8192 -o /dev/null " + script.string() + " 2>&1");
    EXPECT_TRUE(run.status >= 0 && run.status < 128) << run.status;
    EXPECT_FALSE(run.out.empty());
  }
  fs::remove(script);
}

TEST(DravelRender, ChecksScriptsWithoutRunningThem) {
  const fs::path folder = fs::temp_directory_path() / "dravel-check-test";
  fs::create_directories(folder);
  const auto write = [&](const char* name, std::string_view utf8) {
    std::ofstream(folder / name, std::ios::binary) << Utf8ToGbk(utf8);
  };
  write("clean.dvg", "前进 100\r\n右转 90");
  write("traps.dvg", "前进 100\r\n重复 4 【前进 100｜右转 90】\r\n前近 5\r\n前进 100 右转 90");
  Result result = Render("--check " + (folder / "clean.dvg").string());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  result = Render("--check " + folder.string());
  EXPECT_EQ(result.status, 1);
  const std::string traps = (folder / "traps.dvg").string();
  EXPECT_TRUE(result.out.starts_with(traps + ":2:13: 全角竖线")) << result.out;
  EXPECT_NE(result.out.find(traps + ":3:1: 无法识别的命令“前近”"), std::string::npos);
  EXPECT_NE(result.out.find("\n  → 修正为：前进 5\n"), std::string::npos);
  // A fix that moves a command to its own line shows both lines.
  EXPECT_TRUE(result.out.ends_with(traps +
                                   ":4:8: 一行只能写一条命令：运行时只执行前面的命令，后面的“右转 "
                                   "90”不会执行；把它写到下一行。\n"
                                   "  → 修正为：前进 100\n"
                                   "            右转 90\n"))
      << result.out;
  result = Render("--check --encoding gbk " + traps);
  EXPECT_NE(result.out.find(traps + ":3:1: " + Utf8ToGbk("无法识别的命令")), std::string::npos);
  EXPECT_NE(result.out.find(Utf8ToGbk("  → 修正为：前进 5\n")), std::string::npos);
  EXPECT_EQ(Render("--check " + (folder / "missing.dvg").string()).status, 2);
  fs::remove_all(folder);
}

// Columns count characters along a line of several findings; a file lists
// its first findings (whole lines) and one line counting the lines left.
TEST(DravelRender, CheckListsTheFirstFindingsOfAFileAndCountsTheRest) {
  const fs::path script = TempFile("many.dvg");
  std::string utf8 = "重复 4 【前进 100｜右转 90|前近 5】\r\n";
  for (int i = 0; i < 2100; ++i) utf8 += "前近 5\r\n";
  std::ofstream(script, std::ios::binary) << Utf8ToGbk(utf8);
  const Result result = Render("--check " + script.string());
  EXPECT_EQ(result.status, 1);
  const std::string path = script.string();
  EXPECT_TRUE(result.out.starts_with(path + ":1:13: 全角竖线")) << result.out.substr(0, 500);
  EXPECT_NE(result.out.find("\n" + path + ":1:20: 无法识别的命令“前近”"), std::string::npos);
  EXPECT_NE(result.out.find("\n" + path + ":1999:1: "), std::string::npos);
  EXPECT_EQ(result.out.find(":2000:1: "), std::string::npos);
  EXPECT_TRUE(result.out.ends_with("\n" + path + ": 后面还有 102 行有问题，没有列出。\n"));
  fs::remove(script);
}

// A UTF-8 file's character that GBK cannot hold is a finding at its column:
// the run would read '?' there.
TEST(DravelRender, CheckMarksWhatGbkCannotHold) {
  const fs::path script = TempFile("emoji.dvg");
  std::ofstream(script, std::ios::binary) << "前进 100\n写文字 😀好\n";
  const Result result = Render("--check " + script.string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, script.string() +
                            ":2:5: “😀”无法用 GBK 保存：运行和保存时都会变成“?”，请换成别的字。\n");
  fs::remove(script);
}

// --check lists a folder as the folder mode does: a sub-folder named like a
// script is no script, a file named .dvg is one, and a line break in a name
// cannot split a finding's line.
TEST(DravelRender, ChecksTheScriptsTheFolderModeWouldRun) {
  const fs::path folder = TempFile("check-scan");
  fs::create_directories(folder / "sub.dvg");
  for (const char* name : {".dvg", "new\nline.dvg"})
    std::ofstream(folder / name, std::ios::binary) << Utf8ToGbk("前近 5");
  const Result result = Render("--check " + folder.string());
  EXPECT_EQ(result.status, 1);
  const std::string finding = ":1:1: 无法识别的命令“前近”";
  EXPECT_TRUE(result.out.starts_with(folder.string() + "/.dvg" + finding)) << result.out;
  EXPECT_NE(result.out.find("\n" + folder.string() + "/new\\nline.dvg" + finding),
            std::string::npos)
      << result.out;
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 4)
      << result.out;  // each with its fix
  fs::remove_all(folder);
}

// A fix of a long line shows the line around its edit, cut with "…": the
// whole line under each of its 100 findings made 28 MB of output here.
TEST(DravelRender, CheckShowsAFixOfALongLineAroundItsEdit) {
  const fs::path script = TempFile("long.dvg");
  std::string utf8 = "重复 2 【";
  for (int i = 0; i < 20000; ++i) utf8 += "前进 1 右转 1|";
  std::ofstream(script, std::ios::binary) << Utf8ToGbk(utf8 + "】");
  const Result result = Render("--check " + script.string());
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("\n  → 修正为：重复 2 【前进 1|右转 1|前进 1 右转 1|前进 1 右转 1|"),
            std::string::npos);
  EXPECT_NE(result.out.find("右转…\n"), std::string::npos);
  EXPECT_NE(result.out.find("\n  → 修正为：…进 1 右转 1|前进 1 右转 1|"), std::string::npos);
  EXPECT_LT(result.out.size(), 60000u);
  fs::remove(script);
}

// Under a Chinese locale the positions, --help and the messages used to be
// English, and a missing reference was said to not end with its message.
TEST(DravelRender, SaysEverythingInTheLocalesLanguage) {
  const std::string missing = "--reference /nonexistent/answer.dvg ";
  const std::string square = Data("class/square.dvg").string();
  const struct {
    std::string arguments;
    const char* chinese;
    const char* english;
  } cases[] = {
      {"--help", "用法：dravel-render [选项] SCRIPT", "Usage: dravel-render [options] SCRIPT"},
      {"--frobnicate x.dvg", "未知的选项 --frobnicate", "unknown option --frobnicate"},
      {"a.dvg b.dvg", "给出了不止一个脚本", "more than one SCRIPT given"},
      {"--timeout -1 x.dvg", "--timeout 的值不对：-1（秒，0 到 1000000）",
       "bad value for --timeout: -1 (seconds, from 0 to 1000000)"},
      {missing + square, "参考答案 /nonexistent/answer.dvg 不存在",
       "the reference /nonexistent/answer.dvg is not there"},
      {missing + "-o /tmp " + Data("class").string(), "参考答案 /nonexistent/answer.dvg 不存在",
       "the reference /nonexistent/answer.dvg is not there"},
      {"/nonexistent/x.dvg", "无法读取 /nonexistent/x.dvg：没有这个文件或文件夹",
       "cannot read /nonexistent/x.dvg: No such file or directory"},
      {"-o x.jpg " + square, "图片只能写成 .png 或 .svg", "pictures are written as .png or .svg"},
      {"--jobs 2 " + square, "--jobs 不能用于单个脚本（SCRIPT）",
       "--jobs does not apply to a single SCRIPT"},
      {"--timeout 1 -o " + TempFile("words").string() + " " + Data("class").string(),
       "\t出错\t第2行存在无法识别的命令！\t第2行\t",
       "\tfailed\t第2行存在无法识别的命令！\tline 2\t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    for (const bool chinese : {true, false}) {
      const Result result = RunCommand(std::string("LC_ALL= LC_MESSAGES= LANG=") +
                                       (chinese ? "zh_CN.UTF-8 " : "en_GB.UTF-8 ") + DRAVEL_RENDER +
                                       " " + c.arguments + " 2>&1");
      EXPECT_NE(result.out.find(chinese ? c.chinese : c.english), std::string::npos) << result.out;
    }
  }
  fs::remove_all(TempFile("words"));
}

TEST(DravelRender, RejectsBadUsageWithStatusTwo) {
  const std::string square = Data("render/square.dvg").string();
  const std::string cases[] = {
      "",
      "--size 0x10 x.dvg",
      "--size 10 x.dvg",
      "--edge round x.dvg",
      "--encoding latin1 x.dvg",
      "--timeout -1 x.dvg",
      "--pen-width 0 x.dvg",
      "--pen-width 51 x.dvg",
      "--pen-width=2.5 x.dvg",
      "--frobnicate x.dvg",
      "a.dvg b.dvg",
      "--overlay o.png x.dvg",  // used to be ignored without --reference
      "/nonexistent/script.dvg",
      "-o",
      "--sort score " + square,  // a folder's option, once silently ignored
      "--keep-delays " + square,
  };
  for (const std::string& arguments : cases) {
    SCOPED_TRACE(arguments);
    const Result result = Render(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(Render("--help").status, 0);
}

}  // namespace
}  // namespace dravel
