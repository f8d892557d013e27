// dravel-render end to end: the binary run on scripts in data/, checked by its
// standard output, its exit status, the state line and a few PNG pixels.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/gbk_codec.h"
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
  ASSERT_EQ(image.size(), QSize(732, 420));
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

TEST(DravelRender, ChecksScriptsWithoutRunningThem) {
  const fs::path folder = fs::temp_directory_path() / "dravel-check-test";
  fs::create_directories(folder);
  const auto write = [&](const char* name, std::string_view utf8) {
    std::ofstream(folder / name, std::ios::binary) << Utf8ToGbk(utf8);
  };
  write("clean.dvg", "前进 100\r\n右转 90");
  write("traps.dvg", "前进 100\r\n重复 4 【前进 100｜右转 90】\r\n前近 5");
  Result result = Render("--check " + (folder / "clean.dvg").string());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  result = Render("--check " + folder.string());
  EXPECT_EQ(result.status, 1);
  const std::string traps = (folder / "traps.dvg").string();
  EXPECT_TRUE(result.out.starts_with(traps + ":2:13: 全角竖线")) << result.out;
  EXPECT_NE(result.out.find(traps + ":3:1: 无法识别的命令“前近”"), std::string::npos);
  result = Render("--check --encoding gbk " + traps);
  EXPECT_NE(result.out.find(traps + ":3:1: " + Utf8ToGbk("无法识别的命令")), std::string::npos);
  EXPECT_EQ(Render("--check " + (folder / "missing.dvg").string()).status, 2);
  fs::remove_all(folder);
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
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2) << result.out;
  fs::remove_all(folder);
}

TEST(DravelRender, RejectsBadUsageWithStatusTwo) {
  const char* cases[] = {
      "",
      "--size 0x10 x.dvg",
      "--size 10 x.dvg",
      "--edge round x.dvg",
      "--encoding latin1 x.dvg",
      "--timeout -1 x.dvg",
      "--frobnicate x.dvg",
      "a.dvg b.dvg",
      "/nonexistent/script.dvg",
      "-o",
  };
  for (const char* arguments : cases) {
    SCOPED_TRACE(arguments);
    const Result result = Render(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(Render("--help").status, 0);
}

}  // namespace
}  // namespace dravel
