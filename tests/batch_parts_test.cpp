// The folder mode's parts: the child's report read back whole or not at all,
// names shown from their bytes.
#include <gtest/gtest.h>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/folder/class_folders.h"
#include "apps/dravel-render/folder/output_folder.h"
#include "apps/dravel-render/folder/picture_names.h"
#include "apps/dravel-render/folder/script_folder.h"
#include "apps/dravel-render/folder/time_limit.h"
#include "marking/png_reading.h"
#include "marking/report_page.h"
#include "marking/script_copies.h"
#include "marking/script_result.h"
#include "marking/summary_files.h"
#include "marking/summary_merge.h"
#include "marking/teacher_words.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

TEST(ScriptResult, ReadsBackWholeOrNotAtAll) {
  ScriptResult report;
  report.exit_status = 1;
  report.result = "failed";
  report.last_line = Utf8ToGbk("第2行存在无法识别的命令！\t\\");
  report.place = "line 3, body item 2";
  report.picture_error = ELOOP;
  report.lines_drawn = 12345678901;
  report.milliseconds = 42;
  report.score = 97.0 / 3;
  const std::string text = ResultText(report);
  const std::optional<ScriptResult> back = ParseResult(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->exit_status, 1);
  EXPECT_EQ(back->result, "failed");
  EXPECT_EQ(back->last_line, report.last_line);
  EXPECT_EQ(back->place, report.place);
  EXPECT_EQ(back->picture_error, ELOOP);
  EXPECT_EQ(back->lines_drawn, report.lines_drawn);
  EXPECT_EQ(back->milliseconds, 42);
  EXPECT_EQ(back->score, report.score) << "exactly, as the sheet's order needs";
  report.score.reset();
  EXPECT_FALSE(ParseResult(ResultText(report))->score.has_value());
  for (size_t cut : {size_t(0), size_t(5), text.size() - 1}) {
    EXPECT_FALSE(ParseResult(text.substr(0, cut)).has_value()) << cut;
  }
  EXPECT_FALSE(ParseResult("exit\tx\n" + text.substr(text.find('\n') + 1)).has_value());
}

TEST(PictureNames, NumberOnlyWhatIsTakenWhateverTheCase) {
  using Names = std::vector<std::string>;
  const struct {
    const char* what;
    Names scripts, reserved, pictures;
  } cases[] = {
      {"plain", {"a.dvg", "b.DVG"}, {}, {"a.png", "b.png"}},
      {"case and a double extension",
       {"a.DVG", "a.dvg", "a.dvg.dvg"},
       {},
       {"a.png", "a-2.png", "a.dvg.png"}},
      {"a number never takes a later script's own name",
       {"A.dvg", "a.dvg", "a-2.dvg"},
       {},
       {"A.png", "a-3.png", "a-2.png"}},
      {"the run's own files",
       {"Sheet.dvg", "x.dvg"},
       {"sheet.png", "x.png"},
       {"Sheet-2.png", "x-2.png"}},
      {"the case of every letter", {"Ä.dvg", "ä.dvg"}, {}, {"Ä.png", "ä-2.png"}},
      {"é written two ways",
       {"\xc3\xa9.dvg", "e\xcc\x81.dvg"},
       {},
       {"\xc3\xa9.png", "e\xcc\x81-2.png"}},
      {"a name in GBK and in UTF-8",
       {"\xc1\xd6\xd2\xbb.dvg", "林一.dvg"},
       {},
       {"\xc1\xd6\xd2\xbb.png", "林一-2.png"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PictureNames(c.scripts, ".png", c.reserved), c.pictures);
  }
}

// The marks go beside the class folder, however it was named, in the
// encoding of its own name.
TEST(DefaultOutputFolder, IsBesideTheClassFolder) {
  const struct {
    const char* what;
    std::string folder;
    std::optional<std::string> out;
  } cases[] = {
      {"a path", "/a/五年级1班", "/a/五年级1班-批改"},
      {"a trailing slash", "/a/b/", "/a/b-批改"},
      {"dots", "/a/./b/../c", "/a/c-批改"},
      {"a GBK name", "/a/\xc1\xd6", "/a/\xc1\xd6-\xc5\xfa\xb8\xc4"},
      {"the root", "/", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DefaultOutputFolder(c.folder), c.out);
  }
  EXPECT_EQ(DefaultOutputFolder("."), std::filesystem::current_path().native() + "-批改");
}

// Reading or checking a script that outlasts its time ends the process with
// the message and status it was armed with; a later arming replaces an
// earlier one; a thread that waits for another (the run) is ended too.
// (Deadlines already past, so nothing here waits on a clock.)
TEST(TimeLimit, EndsTheProcessOnceItsDeadlineHasPassed) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  using Clock = TimeLimit::Clock;
  const struct {
    const char* what;
    std::optional<Clock::duration> first;  // an earlier arming, far off
    bool joining;                          // waits for a thread that never ends
  } cases[] = {
      {"a deadline passed", std::nullopt, false},
      {"a far deadline moved to one passed", std::chrono::hours(1), false},
      {"waiting for another thread", std::nullopt, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(
        {
          TimeLimit limit;
          if (c.first) limit.Arm(Clock::now() + *c.first, "first", 3);
          if (c.joining) {
            limit.Arm(Clock::now() + std::chrono::milliseconds(1), "stopped: too long", 4);
            std::thread([] {
              for (;;) pause();
            }).join();
          }
          limit.Arm(Clock::now() - std::chrono::seconds(1), "stopped: too long", 4);
          for (;;) pause();
        },
        ::testing::ExitedWithCode(4), "stopped: too long");
  }
}

// The limit's signal sent by something else, or still pending from an
// arming since replaced, ends nothing before the deadline.
TEST(TimeLimit, OutlivesItsSignalBeforeTheDeadline) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  using Clock = TimeLimit::Clock;
  for (const bool disarmed : {false, true}) {
    SCOPED_TRACE(disarmed ? "disarmed" : "armed far off");
    EXPECT_EXIT(
        {
          TimeLimit limit;
          limit.Arm(Clock::now() + std::chrono::hours(1), "stopped: too long", 4);
          if (disarmed) limit.Disarm();
          kill(getpid(), SIGALRM);
          std::thread([] { kill(getpid(), SIGALRM); }).join();
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// Pupils whose names would show alike are shown with their bytes; others as
// they are.
TEST(ListScripts, TellsNamesThatLookAlikeApart) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("lookalikes-" + std::to_string(getpid()));
  std::filesystem::create_directory(folder);
  const struct {
    std::string name, shown;
  } cases[] = {
      {"\xc1\xd6\xd2\xbb.dvg", "林一.dvg [%C1%D6%D2%BB.dvg]"},
      {"林一.dvg", "林一.dvg [%E6%9E%97%E4%B8%80.dvg]"},
      {"\xc3\xa9.dvg", "é.dvg [%C3%A9.dvg]"},
      {"e\xcc\x81.dvg", "e\xcc\x81.dvg [e%CC%81.dvg]"},
      {"\xff\x81.dvg", "\xef\xbf\xbd\xef\xbf\xbd.dvg [%FF%81.dvg]"},  // undecodable
      {"\xff\x82.dvg", "\xef\xbf\xbd\xef\xbf\xbd.dvg [%FF%82.dvg]"},
      {"Ä.dvg", "Ä.dvg"},
      {"ä.dvg", "ä.dvg"},
  };
  for (const auto& c : cases) std::ofstream(folder / c.name) << "go 5";
  const std::optional<std::vector<ScriptFile>> listed = ListScripts(folder.native());
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(listed);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    const auto it = std::find_if(listed->begin(), listed->end(),
                                 [&](const ScriptFile& file) { return file.name == c.name; });
    ASSERT_NE(it, listed->end());
    EXPECT_EQ(it->shown, c.shown);
  }
}

// The folder mode reads its pictures without Qt: ours (a palette, or RGB)
// and a teacher's (Qt's RGBA, with its own filters) come back pixel for pixel.
TEST(ReadPng, ReadsOurPicturesAndOthersPixelForPixel) {
  PixelImage few{37, 9, std::vector<uint32_t>(37 * 9, 0xFF606060)};
  for (int x = 0; x < 37; ++x) few.pixels[size_t(4 * 37 + x)] = 0xFF00FF00;
  PixelImage many = few;
  for (size_t i = 0; i < many.pixels.size(); ++i) many.pixels[i] = 0xFF000000u | uint32_t(i * 977);
  QImage rgba(23, 11, QImage::Format_ARGB32);
  for (int y = 0; y < rgba.height(); ++y)
    for (int x = 0; x < rgba.width(); ++x) rgba.setPixel(x, y, qRgba(x * 11, y * 23, x ^ y, 255));
  QByteArray qt_png;
  QBuffer buffer(&qt_png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(QImageWriter(&buffer, "png").write(rgba));
  PixelImage from_qt{23, 11, {}};
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 23; ++x) from_qt.pixels.push_back(rgba.pixel(x, y));
  const struct {
    const char* what;
    std::string png;
    const PixelImage& pixels;
  } cases[] = {{"a few colours", PngOf(few), few},
               {"many colours", PngOf(many), many},
               {"Qt's RGBA", qt_png.toStdString(), from_qt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PixelImage back = ReadPng(c.png);
    EXPECT_EQ(back.width, c.pixels.width);
    EXPECT_EQ(back.pixels, c.pixels.pixels);
    EXPECT_EQ(PngSize(c.png), (BoxSize{c.pixels.width, c.pixels.height}));
    EXPECT_TRUE(ReadPng(c.png.substr(0, c.png.size() - 20)).Empty()) << "cut short";
  }
  EXPECT_TRUE(ReadPng("not a picture").Empty());
}

TEST(CopyKey, SameTextWhateverTheCommentsSpacingAndAliases) {
  const std::string star = CopyKey(Utf8ToGbk("重复 5 【前进 100|左转 144】\r\n"));
  const struct {
    const char* what;
    const char* script;
    bool same;
  } cases[] = {
      {"comments, blank lines, spacing",
       " //我的星星\r\n\r\n重复  5\t【前进 100| 左转 144】  \r\n\r\n", true},
      {"the English aliases", "repeat 5 【go 100|left 144】", true},
      {"aliases and keywords mixed", "重复 5 【go 100|左转 144】", true},
      {"another angle", "重复 5 【前进 100|左转 145】", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CopyKey(Utf8ToGbk(c.script)) == star, c.same);
  }
  EXPECT_EQ(CopyKey(Utf8ToGbk(" // nothing but a comment\r\n")), "");
}

// Fourteen pupils who wrote the one-line answer used to be listed each as
// a copy of the thirteen others.
TEST(CopyGroups, TheCommonAnswerIsNoCopyAndTheRestAreGroups) {
  using Keys = std::vector<std::string>;
  const struct {
    const char* what;
    Keys keys, common;
    std::vector<int> groups;
  } cases[] = {
      {"pairs among others",
       {"a", "b", "a", "c", "b", "d", "e", "f", "g"},
       {},
       {1, 2, 1, 0, 2, 0, 0, 0, 0}},
      {"a quarter of the class shares it",
       {"a", "a", "b", "c", "d", "e", "f", "g"},
       {},
       {0, 0, 0, 0, 0, 0, 0, 0}},
      {"just under a quarter",
       {"a", "a", "b", "c", "d", "e", "f", "g", "h"},
       {},
       {1, 1, 0, 0, 0, 0, 0, 0, 0}},
      {"the reference's text",
       {"a", "a", "b", "c", "d", "e", "f", "g", "h"},
       {"a"},
       {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"empty keys", {"", "", "b", "c", "d", "e", "f", "g", "h"}, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CopyGroups(c.keys, c.common), c.groups);
  }
}

// Each of 3,000 copies used to list every other name: 99 MB per summary.
TEST(CopyGroups, AGroupIsNamedOnceWhateverItsSize) {
  std::vector<std::string> keys(1000);
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = i % 5 == 0 ? "copied" : std::to_string(i);
  const std::vector<int> groups = CopyGroups(keys, {});
  std::vector<ScriptResult> rows(keys.size());
  std::vector<const ScriptResult*> shown;
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].shown = "pupil-" + std::to_string(i) + ".dvg";
    rows[i].copy_group = groups[i];
    shown.push_back(&rows[i]);
  }
  EXPECT_EQ(groups[0], 1);
  EXPECT_EQ(groups[5], 1);
  EXPECT_LT(SummaryCsv(rows, false, {}, Language::kEnglish).size(), 60 * rows.size());
  const std::string page = ReportPage(shown, {});
  EXPECT_LT(page.size(), 1000 * rows.size());
  size_t named = 0;
  for (size_t at = 0; (at = page.find("pupil-5.dvg", at)) != std::string::npos; ++at) ++named;
  EXPECT_EQ(named, 2u) << "its card's title and its group's line";
}

// A merge reads back what a run wrote, in either language and encoding.
TEST(SummaryRows, ReadBackWhatTheSummariesWrite) {
  ScriptResult row;
  row.shown = "=a, \"b\".dvg";  // a cell CsvCell keeps from being a formula
  row.result = "timeout";
  row.last_line = Utf8ToGbk("已停止调试程序！");
  row.place = "line 3, body item 2";
  row.lines_drawn = 12;
  row.milliseconds = 345;
  row.picture = "-a, \"b\".png";
  row.reference = 1;
  row.score = 61.5;
  row.findings = 2;
  row.first_finding_line = 4;
  row.first_finding = "无法识别的命令“飞”";
  row.copy_group = 3;
  for (const Language language : {Language::kEnglish, Language::kChinese}) {
    SCOPED_TRACE(language == Language::kChinese ? "Chinese" : "English");
    const std::string csv = SummaryCsv({row}, false, {"star.dvg", "square.dvg"}, language);
    std::vector<std::string> references = {"square.dvg"};
    const auto back = SummaryRows(csv.substr(3), "一班", "../x/", references);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    const ScriptResult& read = back->front();
    EXPECT_EQ(read.class_name, "一班");
    EXPECT_EQ(read.shown, row.shown);
    EXPECT_EQ(read.result, "timeout");
    EXPECT_EQ(read.last_line, row.last_line);
    EXPECT_EQ(read.score, 61.5);
    EXPECT_EQ(read.picture_file, "../x/-a, \"b\".png");
    EXPECT_EQ(references[read.reference], "square.dvg") << "one list of every summary's answers";
    EXPECT_EQ(read.first_finding_line, 4);
    EXPECT_EQ(read.first_finding, row.first_finding);
    EXPECT_EQ(read.copy_group, 3);
    EXPECT_EQ(read.lines_drawn, 12u);
  }
  std::vector<std::string> references;
  const char* refused[] = {"", "name,status\r\nx,ok\r\n", "file,status\r\nx,ok,extra\r\n",
                           "status\r\nok\r\n"};
  for (const char* csv : refused) {
    SCOPED_TRACE(csv);
    EXPECT_FALSE(SummaryRows(csv, "", "", references));
  }
}

// Only folders inside the one given are classes, and one holding scripts
// is a class itself.
TEST(ClassesOf, ThePupilsFolderOrEachClassFolderInIt) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("classes-" + std::to_string(getpid()));
  const auto write = [&](const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "前进 10";
  };
  write(root / "school/2班/b.dvg");
  write(root / "school/1班/a.dvg");
  fs::create_directories(root / "school/empty");
  write(root / "elsewhere/c.dvg");
  fs::create_directory_symlink(root / "elsewhere", root / "school/linked");
  write(root / "one/a.dvg");
  fs::create_directories(root / "one/inner");
  write(root / "one/inner/b.dvg");
  const auto names = [](const std::optional<std::vector<ClassFolder>>& classes) {
    std::vector<std::string> shown;
    for (const ClassFolder& folder : classes.value_or(std::vector<ClassFolder>{}))
      shown.push_back(folder.name);
    return shown;
  };
  EXPECT_EQ(names(ClassesOf((root / "school").string())), (std::vector<std::string>{"1班", "2班"}));
  EXPECT_EQ(names(ClassesOf((root / "one").string())), (std::vector<std::string>{""}));
  EXPECT_FALSE(ClassesOf((root / "none").string()));
  // The same name in GBK and in UTF-8, and two that differ only in case.
  write(root / "alike" / Utf8ToGbk("3班") / "a.dvg");
  write(root / "alike/3班/a.dvg");
  write(root / "alike/ClassA/a.dvg");
  write(root / "alike/classa/a.dvg");
  EXPECT_EQ(names(ClassesOf((root / "alike").string())),
            (std::vector<std::string>{"3班 [3%B0%E0]", "3班 [3%E7%8F%AD]", "ClassA [ClassA]",
                                      "classa [classa]"}));
  fs::remove_all(root);
}

TEST(FolderWords, ChineseWhenTheLocaleSaysSo) {
  const struct {
    const char* all;
    const char* messages;
    const char* lang;
    Language language;
  } cases[] = {{"", "", "zh_CN.UTF-8", Language::kChinese},
               {"C", "", "zh_CN.UTF-8", Language::kEnglish},
               {"", "zh_TW.UTF-8", "en_US.UTF-8", Language::kChinese},
               {"", "", "", Language::kEnglish}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.all) + "/" + c.messages + "/" + c.lang);
    setenv("LC_ALL", c.all, 1);
    setenv("LC_MESSAGES", c.messages, 1);
    setenv("LANG", c.lang, 1);
    EXPECT_EQ(LocaleLanguage(), c.language);
  }
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
  ScriptResult row;
  row.shown = "a.dvg";
  row.result = "failed";
  EXPECT_TRUE(SummaryText({row}, false, {}, Language::kChinese)
                  .starts_with("脚本\t退出码\t结果\t最后的提示\t位置\t图片\t检查发现\t第一处\t"
                               "相同的脚本\na.dvg\t2\t出错\t"));
}

TEST(SaidText, FillsEachMarkInTurnInEitherLanguage) {
  EXPECT_EQ(SaidText(Said::kLineItem, Language::kChinese, {"3", "2"}), "第3行第2项");
  EXPECT_EQ(SaidText(Said::kLineItem, Language::kEnglish, {"3", "2"}), "line 3, body item 2");
  EXPECT_EQ(SaidText(Said::kLineItem, Language::kEnglish, {"3"}), "line 3, body item ")
      << "a mark past the values is left out";
  EXPECT_EQ(SaidText(Said::kCannotRead, Language::kEnglish, {"{}", "x"}), "cannot read {}: x")
      << "a value is never read for marks";
}

TEST(ShownName, Utf8WhenValidElseGbk) {
  EXPECT_EQ(ShownName("square.dvg"), "square.dvg");
  EXPECT_EQ(ShownName("五角星.dvg"), "五角星.dvg");
  EXPECT_EQ(ShownName(Utf8ToGbk("五角星.dvg")), "五角星.dvg");
  EXPECT_EQ(ShownPath("班级/" + Utf8ToGbk("五角星.dvg")), "班级/五角星.dvg") << "each name alone";
}

}  // namespace
}  // namespace dravel
