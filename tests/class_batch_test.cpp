// A teacher's batch end to end: a class folder as it arrives (a GBK-named
// file, an upper-case .DVG, a script that loops for ever, one that animates
// with 延时, one that fails inside a repeat, a sub-folder), run in parallel
// into an output folder that does not exist yet; scores against a target;
// the single-script outputs (-o -, refused extensions, --no-delay,
// --version).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <string>
#include <vector>

#include "canvas/window_look.h"
#include "marking/csv_cell.h"
#include "runtime/gbk_codec.h"
#include "support/render_process.h"

namespace {

using dravel::Render;
using dravel::Result;

std::string Quoted(const QString& path) { return "'" + path.toStdString() + "'"; }

// Writes `utf8_script` as GBK into `folder` under the file name `name_bytes`.
void WriteScript(const QString& folder, const std::string& name_bytes, const char* utf8_script) {
  const std::string path = QFile::encodeName(folder).toStdString() + "/" + name_bytes;
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  const std::string bytes = dravel::Utf8ToGbk(utf8_script);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void WriteBytes(const QString& path, const std::string& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes.data(), qint64(bytes.size()));
}

bool Exists(const QString& folder, const std::string& name_bytes) {
  return QFile::exists(QFile::decodeName(QFile::encodeName(folder) + "/" + name_bytes.c_str())) ||
         std::fopen((QFile::encodeName(folder).toStdString() + "/" + name_bytes).c_str(), "rb");
}

std::string ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class ClassBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(in_.isValid() && out_.isValid());
    WriteScript(in_.path(), dravel::Utf8ToGbk("五角星.dvg"), "重复 5 【前进 100|左转 144】");
    WriteScript(in_.path(), "HOUSE.DVG", "画矩形 80 60\r\n前进 60\r\n右转 30\r\n前进 80");
    WriteScript(in_.path(), "forever.dvg", "次数 2000000000\r\n右转 1");
    WriteScript(in_.path(), "animated.dvg", "重复 20 【前进 5|延时 1000】");
    WriteScript(in_.path(), "broken.dvg", "前进 10\r\n右转 90\r\n重复 3 【前进 10|毛病】");
    ASSERT_TRUE(QDir(in_.path()).mkdir("empty"));
  }
  QString Out(const char* name) const { return out_.filePath(QString::fromUtf8(name)); }

  QTemporaryDir in_, out_;
};

TEST_F(ClassBatch, EveryRowIsRightWhateverTheNamesAndTheScriptsDo) {
  const QString out = out_.filePath("not/yet/there");
  const Result result = Render("--jobs 2 --timeout 1.5 -o " + Quoted(out) + " --contact-sheet " +
                               Quoted(out_.filePath("sheet.png")) + " " + Quoted(in_.path()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n"
            "HOUSE.DVG\t0\tok\t程序调试完毕！\t\tHOUSE.png\t0\t\t\n"
            "animated.dvg\t0\tok\t程序调试完毕！\t\tanimated.png\t0\t\t\n"
            "broken.dvg\t1\tfailed\t第2行存在无法识别的命令！\tline 3, body item 2\tbroken.png\t1\t"
            "line 3: 无法识别的命令“毛病”：运行到这里会报错。\t\n"
            "forever.dvg\t1\ttimeout\t已停止调试程序！\t\tforever.png\t0\t\t\n"
            "五角星.dvg\t0\tok\t程序调试完毕！\t\t五角星.png\t0\t\t\n");
  for (const char* picture : {"HOUSE.png", "animated.png", "broken.png", "forever.png"}) {
    EXPECT_EQ(QImage(out + "/" + picture).size(),
              QSize(dravel::kCanvasWidth, dravel::kCanvasHeight))
        << picture;
  }
  // A GBK name's bytes used to name the picture, garbled in a file manager.
  EXPECT_TRUE(Exists(out, "五角星.png")) << "the picture is named in UTF-8";
  EXPECT_FALSE(QImage(out_.filePath("sheet.png")).isNull());

  const std::string csv = ReadBytes(out + "/summary.csv");
  ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
  const auto rows = dravel::CsvRecords(csv.substr(3));
  ASSERT_EQ(rows.size(), 6u);
  for (const auto& row : rows) EXPECT_EQ(row.size(), 11u) << row[0];
  EXPECT_EQ(rows[0][0], "file");
  EXPECT_EQ(rows[3][0], "broken.dvg");
  EXPECT_EQ(rows[3][1], "failed");
  EXPECT_EQ(rows[3][4], "line 3, body item 2");
  EXPECT_EQ(rows[3][5], "2") << "two lines drawn before the failure";
  EXPECT_EQ(rows[5][0], "五角星.dvg");
  EXPECT_EQ(rows[5][7], "五角星.png");
}

TEST_F(ClassBatch, DelaysAreKeptOnlyWhenAsked) {
  const Result result =
      Render("--keep-delays --timeout 0.5 -o " + Quoted(out_.path()) + " " + Quoted(in_.path()));
  EXPECT_NE(result.out.find("animated.dvg\t1\ttimeout"), std::string::npos) << result.out;
}

TEST_F(ClassBatch, ScoresEachPictureAgainstTheTarget) {
  QTemporaryDir shapes;
  WriteScript(shapes.path(), "same.dvg", "重复 5 【前进 100|左转 144】");
  WriteScript(shapes.path(), "shifted.dvg",
              "抬笔\r\n置坐标 1 1\r\n落笔\r\n重复 5 【前进 100|左转 144】");
  WriteScript(shapes.path(), "elsewhere.dvg",
              "抬笔\r\n置坐标 -200 -80\r\n落笔\r\n右转 18\r\n重复 5 【前进 100|右转 144】");
  WriteScript(shapes.path(), "nothing.dvg", "右转 90");
  WriteScript(shapes.path(), "square.dvg", "重复 4 【前进 100|左转 90】");
  WriteScript(out_.path(), "target.dvg", "重复 5 【前进 100|左转 144】");
  const Result result = Render("--reference " + Quoted(out_.filePath("target.dvg")) + " -o " +
                               Quoted(out_.filePath("out")) + " --sort score --contact-sheet " +
                               Quoted(out_.filePath("sheet.png")) + " " + Quoted(shapes.path()));
  EXPECT_EQ(result.status, 0);
  const auto score = [&](const char* name) {  // the sixth field
    size_t at = result.out.find("\n" + std::string(name) + "\t") + 1;
    for (int field = 0; field < 5; ++field) at = result.out.find('\t', at) + 1;
    return std::stod(result.out.substr(at));
  };
  EXPECT_EQ(score("same.dvg"), 100);
  EXPECT_GT(score("shifted.dvg"), 95);
  EXPECT_GT(score("elsewhere.dvg"), 90) << "moved, turned and mirrored";
  EXPECT_EQ(score("nothing.dvg"), 0);
  EXPECT_LT(score("square.dvg"), 50);
  EXPECT_NE(ReadBytes(out_.filePath("out/summary.csv")).find("same.dvg,ok,100.0,"),
            std::string::npos);

  WriteScript(out_.path(), "small.png", "not a picture");
  EXPECT_EQ(Render("--reference " + Quoted(out_.filePath("small.png")) + " -o " +
                   Quoted(out_.filePath("out")) + " " + Quoted(shapes.path()))
                .status,
            2);
}

// A reference that fails or draws nothing used to score the class anyway.
TEST_F(ClassBatch, ABadReferenceStopsTheBatchNamingIt) {
  WriteScript(out_.path(), "failing.dvg", "前进 100\r\n毛病");
  WriteScript(out_.path(), "blank.dvg", "右转 90");
  WriteScript(out_.path(), "star.dvg", "重复 5 【前进 100|左转 144】");
  for (const char* bad : {"failing.dvg", "blank.dvg"}) {
    SCOPED_TRACE(bad);
    const std::string reference = Quoted(out_.filePath(bad));
    const Result result = dravel::RunCommand(std::string(DRAVEL_RENDER) + " --reference " +
                                             Quoted(out_.filePath("star.dvg")) + " --reference " +
                                             reference + " -o " + Quoted(out_.filePath("out")) +
                                             " " + Quoted(in_.path()) + " 2>&1");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find(out_.filePath(bad).toStdString()), std::string::npos) << result.out;
    EXPECT_FALSE(QFile::exists(out_.filePath("out/summary.txt")));
  }
}

// Several accepted answers: each pupil gets the best, and the row says which;
// the overlay lies beside the picture.
TEST_F(ClassBatch, EachPupilGetsTheBestOfSeveralReferences) {
  QTemporaryDir shapes;
  WriteScript(shapes.path(), "star.dvg", "重复 5 【前进 100|左转 144】");
  WriteScript(shapes.path(), "square.dvg", "重复 4 【前进 100|左转 90】");
  WriteScript(out_.path(), "star.dvg", "重复 5 【前进 100|左转 144】");
  WriteScript(out_.path(), "square.dvg", "重复 4 【前进 100|右转 90】");
  const Result result = Render("--reference " + Quoted(out_.filePath("star.dvg")) +
                               " --reference " + Quoted(out_.filePath("square.dvg")) + " -o " +
                               Quoted(out_.filePath("out")) + " " + Quoted(shapes.path()));
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("square.dvg\t0\tok\t程序调试完毕！\t\t100.0\tsquare.png\tsquare.dvg"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("star.dvg\t0\tok\t程序调试完毕！\t\t100.0\tstar.png\tstar.dvg"),
            std::string::npos);
  EXPECT_EQ(QImage(out_.filePath("out/square-overlay.png")).size(),
            QSize(dravel::kCanvasWidth, dravel::kCanvasHeight));
  EXPECT_NE(ReadBytes(out_.filePath("out/report.html")).find("参考答案：square.dvg"),
            std::string::npos)
      << "the report names the answer matched";
}

// An overlay that could not be written (its name too long) used to end the
// run with status 1, as a pupil's failure does.
TEST_F(ClassBatch, AnOverlayThatCannotBeWrittenIsStatusTwo) {
  QTemporaryDir pupils;
  WriteScript(pupils.path(), std::string(246, 'x') + ".dvg", "前进 100");
  WriteScript(out_.path(), "answer.dvg", "前进 100");
  const Result result = Render("--reference " + Quoted(out_.filePath("answer.dvg")) + " -o " +
                               Quoted(out_.filePath("out")) + " " + Quoted(pupils.path()));
  EXPECT_EQ(result.status, 2) << result.out;
  EXPECT_TRUE(QFile::exists(out_.filePath("out/" + QString(246, 'x') + ".png")));
}

// A UTF-8 file used to be read as GBK and fail at its first line.
TEST_F(ClassBatch, EachFileIsReadAsItIs) {
  QTemporaryDir mixed;
  WriteScript(mixed.path(), "gbk.dvg", "重复 5 【前进 100|左转 144】");
  QFile utf8(mixed.filePath("utf8.dvg"));
  ASSERT_TRUE(utf8.open(QIODevice::WriteOnly));
  utf8.write("重复 5 【前进 100|左转 144】\n");
  utf8.close();
  const Result result = Render("-o " + Quoted(out_.path()) + " " + Quoted(mixed.path()));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("utf8.dvg\t0\tok"), std::string::npos) << result.out;
  EXPECT_EQ(Render("--encoding gbk -o " + Quoted(out_.path()) + " " + Quoted(mixed.path())).status,
            1);
}

// A UTF-8 pupil used to score 100 in the folder and fail alone, and a UTF-8
// reference to be refused alone: the single run read every file as GBK.
TEST_F(ClassBatch, APupilScoresTheSameAloneAndInTheFolder) {
  QTemporaryDir pupils;
  const std::string star = "重复 5 【前进 100|右转 144】";
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {{"utf8.dvg", star + "\n"},
              {"bom-crlf.dvg", "\xEF\xBB\xBF" + star + "\r\n"},
              {"gbk.dvg", dravel::Utf8ToGbk(star)}};
  for (const auto& row : rows) WriteBytes(pupils.filePath(row.name), row.bytes);
  WriteBytes(out_.filePath("answer.dvg"), star);
  const std::string reference = "--reference " + Quoted(out_.filePath("answer.dvg"));
  const Result folder =
      Render(reference + " -o " + Quoted(out_.filePath("out")) + " " + Quoted(pupils.path()));
  EXPECT_EQ(folder.status, 0) << folder.out;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_NE(folder.out.find(std::string(row.name) + "\t0\tok\t程序调试完毕！\t\t100.0\t"),
              std::string::npos)
        << folder.out;
    const Result alone = Render(reference + " " + Quoted(pupils.filePath(row.name)));
    EXPECT_EQ(alone.status, 0);
    EXPECT_TRUE(alone.out.ends_with("程序调试完毕！\n得分 100.0\n")) << alone.out;
  }
}

// A run that never ended drew a perfect star again and again and scored 100
// among the correct stars; its picture and overlay are still the teacher's.
TEST_F(ClassBatch, ARunThatDidNotEndIsNotScored) {
  QTemporaryDir pupils;
  WriteScript(pupils.path(), "endless.dvg", "重复 100000000 【前进 100|右转 144】");
  WriteScript(pupils.path(), "star.dvg", "重复 5 【前进 100|右转 144】");
  WriteScript(pupils.path(), "square.dvg", "重复 4 【前进 100|右转 90】");
  WriteScript(out_.path(), "answer.dvg", "重复 5 【前进 100|右转 144】");
  const std::string reference = "--timeout 1 --reference " + Quoted(out_.filePath("answer.dvg"));
  const Result folder = Render(reference + " --sort score -o " + Quoted(out_.filePath("out")) +
                               " " + Quoted(pupils.path()));
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.out.find("endless.dvg\t1\ttimeout\t已停止调试程序！\t\t—\tendless.png"),
            std::string::npos)
      << folder.out;
  EXPECT_NE(ReadBytes(out_.filePath("out/summary.csv")).find("endless.dvg,timeout,—,"),
            std::string::npos);
  EXPECT_EQ(QImage(out_.filePath("out/endless-overlay.png")).size(), QSize(732, 420));
  const std::string report = ReadBytes(out_.filePath("out/report.html"));
  EXPECT_LT(report.find("square.dvg"), report.find("endless.dvg")) << "after every scored pupil";
  EXPECT_NE(report.find("endless-overlay.png"), std::string::npos);

  const Result alone = Render(reference + " " + Quoted(pupils.filePath("endless.dvg")));
  EXPECT_EQ(alone.status, 1);
  EXPECT_TRUE(alone.out.ends_with("已停止调试程序！\n得分 —（超时）\n")) << alone.out;
}

// Nine pupils of `class_name` in `school`: two copy each other (and a
// pupil of every class), the rest draw lines of their own lengths.
void WriteClass(const QString& school, const char* class_name) {
  ASSERT_TRUE(QDir(school).mkpath(QString::fromUtf8(class_name)));
  const QString folder = school + "/" + QString::fromUtf8(class_name);
  WriteScript(folder, "copied-a.dvg", "前进 33\r\n右转 90\r\n前进 44");
  WriteScript(folder, "copied-b.dvg", " // 我自己写的\r\n\r\ngo 33 \r\nright 90\r\ngo 44");
  for (int i = 0; i < 7; ++i)
    WriteScript(folder, "own-" + std::to_string(i) + ".dvg",
                ("前进 " + std::to_string(10 + i)).c_str());
}

// A parent folder of classes used to fail and leave an empty summary; and
// summaries made on several machines could not be joined.
TEST_F(ClassBatch, ManyClassesAreMarkedClassByClassAndMerged) {
  QTemporaryDir school;
  WriteClass(school.path(), "一班");
  WriteClass(school.path(), "二班");
  const Result result = Render("-o " + Quoted(out_.filePath("all")) + " " + Quoted(school.path()));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(result.out.starts_with("class\tscript\t")) << result.out;
  EXPECT_NE(
      result.out.find("一班\tcopied-b.dvg\t0\tok\t程序调试完毕！\t\t一班/copied-b.png\t0\t\t1\n"),
      std::string::npos)
      << "a copy in the aliases, within its class";
  EXPECT_NE(
      result.out.find("二班\tcopied-a.dvg\t0\tok\t程序调试完毕！\t\t二班/copied-a.png\t0\t\t2\n"),
      std::string::npos)
      << "the same text in another class is another group";
  EXPECT_FALSE(QImage(out_.filePath("all/二班/own-3.png")).isNull());

  // The two classes marked apart, one in Chinese and GBK, then merged.
  EXPECT_EQ(
      Render("-o " + Quoted(out_.filePath("one/一班")) + " " + Quoted(school.filePath("一班")))
          .status,
      0);
  EXPECT_EQ(dravel::RunCommand("LC_ALL=zh_CN.UTF-8 " + std::string(DRAVEL_RENDER) + " --gbk -o " +
                               Quoted(out_.filePath("two/二班")) + " " +
                               Quoted(school.filePath("二班")) + " >/dev/null 2>&1")
                .status,
            0);
  const std::string merged = Quoted(out_.filePath("merged"));
  EXPECT_EQ(Render("--merge " + merged + " " + Quoted(out_.filePath("one")) + " " +
                   Quoted(out_.filePath("two/二班/summary.csv")))
                .status,
            0);
  const auto rows = dravel::CsvRecords(ReadBytes(out_.filePath("merged/summary.csv")).substr(3));
  ASSERT_EQ(rows.size(), 19u);
  EXPECT_EQ(rows[0][0], "class");
  EXPECT_EQ(rows[1][0] + " " + rows[1][1] + " " + rows[1][11], "一班 copied-a.dvg 1");
  EXPECT_EQ(rows[10][0] + " " + rows[10][1] + " " + rows[10][11], "二班 copied-a.dvg 2");
  EXPECT_EQ(rows[10][2], "ok") << "read from the Chinese summary";
  EXPECT_NE(
      ReadBytes(out_.filePath("merged/report.html")).find("../two/%E4%BA%8C%E7%8F%AD/own-0.png"),
      std::string::npos);
  EXPECT_EQ(Render("--merge " + merged + " " + Quoted(school.filePath("一班/own-0.dvg"))).status, 2)
      << "not a summary";

  // As a folder run, --merge replaces only what an earlier run wrote.
  const std::string one = Quoted(out_.filePath("one"));
  EXPECT_EQ(Render("--merge " + merged + " " + one).status, 0) << "its own summary, merged again";
  ASSERT_TRUE(QDir().mkpath(out_.filePath("mine")));
  QFile own(out_.filePath("mine/summary.csv"));
  ASSERT_TRUE(own.open(QIODevice::WriteOnly) && own.write("the teacher's own") > 0);
  own.close();
  const std::string mine = Quoted(out_.filePath("mine"));
  EXPECT_EQ(Render("--merge " + mine + " " + one).status, 2);
  EXPECT_EQ(ReadBytes(out_.filePath("mine/summary.csv")), "the teacher's own");
  EXPECT_EQ(Render("--overwrite --merge " + mine + " " + one).status, 0);
  EXPECT_NE(ReadBytes(out_.filePath("mine/summary.csv")), "the teacher's own");
}

// A single script's --reference used to be ignored.
TEST_F(ClassBatch, ASingleScriptIsScoredAfterItsHint) {
  WriteScript(out_.path(), "target.dvg", "右转 18\r\n重复 5 【前进 100|右转 144】");
  const Result result =
      Render("--reference " + Quoted(out_.filePath("target.dvg")) + " --overlay " +
             Quoted(out_.filePath("differs.png")) + " " + "'" + in_.path().toStdString() + "/" +
             dravel::Utf8ToGbk("五角星.dvg") + "'");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.out.ends_with("程序调试完毕！\n得分 100.0\n")) << result.out;
  EXPECT_EQ(QImage(out_.filePath("differs.png")).size(),
            QSize(dravel::kCanvasWidth, dravel::kCanvasHeight));
}

// A script that exhausts its process's memory fails alone.
TEST_F(ClassBatch, AScriptThatRunsOutOfMemoryMarksOnlyItsOwnRow) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers lift the memory limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  GTEST_SKIP() << "the sanitizers lift the memory limit";
#endif
#endif
  QTemporaryDir folder;
  WriteScript(folder.path(), "square.dvg", "重复 4 【前进 100|左转 90】");
  const std::string huge = "go 10\r\nsettext " + std::string(120'000'000, 'a') + "\r\n";
  QFile file(folder.filePath("huge.dvg"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(huge.data(), qint64(huge.size())), qint64(huge.size()));
  file.close();
  const Result result =
      Render("--memory-limit 250 -o " + Quoted(out_.path()) + " " + Quoted(folder.path()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n"
            "huge.dvg\t1\tout of memory\tran out of memory\t\t\t0\t\t\n"
            "square.dvg\t0\tok\t程序调试完毕！\t\tsquare.png\t0\t\t\n");
}

// Said once, up front, with the least that works, which does: not a row of
// failures that each end at the hint's first line.
TEST_F(ClassBatch, AMemoryLimitNoRunCanStartUnderIsRefusedOnce) {
  const std::string folders = " -o " + Quoted(out_.path()) + " " + Quoted(in_.path());
  const Result refused =
      dravel::RunCommand(std::string(DRAVEL_RENDER) + " --memory-limit 64" + folders + " 2>&1");
  EXPECT_EQ(refused.status, 2);
  const std::string least = "the least that works is ";
  ASSERT_NE(refused.out.find(least), std::string::npos) << refused.out;
  EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 1) << refused.out;
  EXPECT_FALSE(QFile::exists(out_.filePath("summary.txt")));

  QTemporaryDir text;
  WriteScript(text.path(), "text.dvg", "写文字 你好\r\n前进 100");
  const int at_least = std::stoi(refused.out.substr(refused.out.find(least) + least.size()));
  const Result result = Render("--memory-limit " + std::to_string(at_least) + " --turtle -o " +
                               Quoted(out_.path()) + " " + Quoted(text.path()));
  EXPECT_EQ(result.status, 0) << result.out;
}

TEST_F(ClassBatch, SingleScriptOutputs) {
  const std::string house = Quoted(in_.path() + "/HOUSE.DVG");
  const Result piped = Render("-o - " + house);
  EXPECT_EQ(piped.status, 0);
  EXPECT_TRUE(piped.out.starts_with("\x89PNG\r\n")) << "the picture alone on standard output";

  for (const char* refused : {"x.jpg", "x.PNG.gif", "x.bmp"}) {
    EXPECT_EQ(Render("-o " + Quoted(out_.filePath(refused)) + " " + house).status, 2) << refused;
    EXPECT_FALSE(QFile::exists(out_.filePath(refused)));
  }
  EXPECT_EQ(Render("-o " + Quoted(out_.filePath("x.SVG")) + " " + house).status, 0);
  EXPECT_EQ(Render("--contact-sheet x.svg " + Quoted(in_.path())).status, 2);

  const std::string animated = Quoted(in_.path() + "/animated.dvg");
  EXPECT_EQ(Render("--timeout 0.5 " + animated).status, 1) << "a single script keeps its delays";
  EXPECT_EQ(Render("--no-delay --timeout 5 " + animated).status, 0);

  const Result version = Render("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("dravel-render ")) << version.out;
}

}  // namespace
