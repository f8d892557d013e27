// dravel-render's picture outputs end to end: -o FILE.svg, and the folder mode
// on data/class (a script that fails, one that loops until its timeout, one
// with a Chinese name, a file that is not a script) with its summary, its
// pictures and the contact sheet. The timeout leaves room for a loaded
// machine under the sanitizers to start the text painter for 写文字.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <string>

#include "canvas/window_look.h"
#include "support/render_process.h"

namespace {

using dravel::Result;

Result Render(const QString& arguments) { return dravel::Render(arguments.toStdString()); }

QString Data(const QString& name) { return QString(DRAVEL_TEST_DATA) + "/" + name; }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The start elements of an SVG file by name, or empty when it is not XML.
QStringList SvgElements(const QString& path) {
  QXmlStreamReader xml(ReadAll(path));
  QStringList names;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement) names << xml.name().toString();
  return xml.hasError() ? QStringList() : names;
}

const char kSummary[] =
    "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n"
    "broken.dvg\t1\tfailed\t第2行存在无法识别的命令！\tline 2\tbroken.png\t1\t"
    "line 2: 无法识别的命令“飞”：运行到这里会报错。\t\n"
    "forever.dvg\t1\ttimeout\t已停止调试程序！\t\tforever.png\t0\t\t\n"
    "square.dvg\t0\tok\t程序调试完毕！\t\tsquare.png\t0\t\t\n"
    "五角星.dvg\t0\tok\t程序调试完毕！\t\t五角星.png\t0\t\t\n";

TEST(RenderFolder, RendersEveryScriptWithSummaryAndContactSheet) {
  QTemporaryDir out;
  const QString sheet = out.filePath("sheet.png");
  const Result result =
      Render("--timeout 2 -o " + out.path() + " --contact-sheet " + sheet + " " + Data("class"));
  EXPECT_EQ(result.status, 1);  // two scripts did not end well
  EXPECT_EQ(result.out, kSummary);
  EXPECT_EQ(ReadAll(out.filePath("summary.txt")), QByteArray(kSummary));
  for (const char* name : {"broken", "forever", "square", "五角星"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(QImage(out.filePath(QString::fromUtf8(name) + ".png")).size(),
              QSize(dravel::kCanvasWidth, dravel::kCanvasHeight));
  }
  EXPECT_FALSE(QFile::exists(out.filePath("notes.png")));
  const QImage contact(sheet);
  EXPECT_EQ(contact.width(), 12 + 4 * (240 + 12));
  EXPECT_GT(contact.height(), 138);
}

TEST(RenderFolder, WritesSvgPicturesAndGbkSummaryOnRequest) {
  QTemporaryDir out;
  const Result result =
      Render("--timeout 2 --gbk --format svg -o " + out.path() + " " + Data("class"));
  EXPECT_EQ(result.status, 1);
  const QStringList square = SvgElements(out.filePath("square.svg"));
  EXPECT_EQ(square.count("polyline"), 1);
  EXPECT_EQ(SvgElements(out.filePath(QString::fromUtf8("五角星.svg"))).count("text"), 1);
  EXPECT_TRUE(ReadAll(out.filePath("summary.txt")).contains("\xb3\xcc\xd0\xf2"));  // 程序
}

TEST(RenderFolder, AFolderWithoutScriptsIsAFailureWithAValidSheet) {
  QTemporaryDir in;
  ASSERT_TRUE(QDir(in.path()).mkdir("empty.dvg"));  // a folder, not a script
  const Result result =
      Render("-o " + in.path() + " --contact-sheet " + in.filePath("s.png") + " " + in.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(
      result.out,
      "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n");
  EXPECT_FALSE(QImage(in.filePath("s.png")).isNull());
}

void WriteFile(const QString& path, const char* text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

// Every .dvg entry gets a row and a picture of its own: a pipe and a broken
// link are not read, a tab in a name cannot break the summary's columns.
TEST(RenderFolder, OddEntriesEachGetTheirOwnRow) {
  QTemporaryDir in;
  WriteFile(in.filePath("t\tab.dvg"), "go 5");
  ASSERT_EQ(mkfifo(QFile::encodeName(in.filePath("pipe.dvg")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(in.filePath("nowhere"), in.filePath("link.dvg")));
  const Result result = Render("--timeout 2 -o '" + in.path() + "' '" + in.path() + "'");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n"
            "link.dvg\t2\tunreadable\ta symbolic link: not read\t\t\t0\t\t\n"
            "pipe.dvg\t2\tunreadable\tnot a regular file: not read\t\t\t0\t\t\n"
            "t\\tab.dvg\t0\tok\t程序调试完毕！\t\tt\\tab.png\t0\t\t\n");
  EXPECT_EQ(QImage(in.filePath("t\tab.png")).size(),
            QSize(dravel::kCanvasWidth, dravel::kCanvasHeight));
}

// Each picture holds its own script's line (go N draws N pixels up from the
// centre), under the name its row gives; the sheet keeps its own name.
TEST(RenderFolder, PicturesNeverShareANameNorTakeTheRunsOwn) {
  QTemporaryDir in;
  const struct {
    const char* script;
    const char* text;
    int length;
    const char* picture;
  } cases[] = {{"a.DVG", "go 10", 10, "a.png"},
               {"a.dvg", "go 40", 40, "a-2.png"},
               {"a.dvg.dvg", "go 80", 80, "a.dvg.png"},
               {"sheet.dvg", "go 120", 120, "sheet-2.png"}};
  for (const auto& c : cases) WriteFile(in.filePath(c.script), c.text);
  const Result result =
      Render("-o " + in.path() + " --contact-sheet " + in.filePath("sheet.png") + " " + in.path());
  EXPECT_EQ(result.status, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_NE(
        result.out.find(std::string(c.script) + "\t0\tok\t程序调试完毕！\t\t" + c.picture + "\t"),
        std::string::npos)
        << result.out;
    const QImage picture(in.filePath(c.picture));
    ASSERT_EQ(picture.size(), QSize(dravel::kCanvasWidth, dravel::kCanvasHeight));
    EXPECT_NE(picture.pixel(366, 210 - c.length + 1), picture.pixel(5, 5));
    EXPECT_EQ(picture.pixel(366, 210 - c.length - 2), picture.pixel(5, 5));
  }
  EXPECT_EQ(QImage(in.filePath("sheet.png")).width(), 12 + 4 * (240 + 12));
}

// Links a pupil's archive may carry where the run writes its own files: even
// told to --overwrite, the run leaves each link and its target alone, leaves
// the picture's name out of its row, and ends with status 2.
TEST(RenderFolder, NeverWritesThroughALink) {
  QTemporaryDir in, elsewhere;
  WriteFile(in.filePath("alice.dvg"), "go 10");
  WriteFile(in.filePath("bob.dvg"), "go 20");
  const QStringList links = {"summary.txt", "alice.png", "sheet.png", "summary.csv"};
  for (const QString& name : links) {
    if (name != "summary.csv") WriteFile(elsewhere.filePath(name), "victim");
    ASSERT_TRUE(QFile::link(elsewhere.filePath(name), in.filePath(name)));
  }
  const Result result = Render("--overwrite -o " + in.path() + " --contact-sheet " +
                               in.filePath("sheet.png") + " " + in.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out,
            "script\texit\tresult\tlast message\twhere\tpicture\tfindings\tfirst finding\tcopies\n"
            "alice.dvg\t0\tok\t程序调试完毕！\t\t\t0\t\t\n"
            "bob.dvg\t0\tok\t程序调试完毕！\t\tbob.png\t0\t\t\n");
  for (const QString& name : links) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(QFileInfo(in.filePath(name)).isSymLink());
    EXPECT_EQ(ReadAll(elsewhere.filePath(name)), name == "summary.csv" ? "" : "victim");
  }
  EXPECT_FALSE(QFile::exists(elsewhere.filePath("summary.csv")));
}

// Past a million lines the drawing's list is dropped; its count is not.
TEST(RenderFolder, CountsEveryLineOfARunPastAMillion) {
  QTemporaryDir in;
  WriteFile(in.filePath("many.dvg"), "repeat 1000001 \xa1\xbego 3|right 1\xa1\xbf");  // 【 】
  EXPECT_EQ(Render("-o " + in.path() + " " + in.path()).status, 0);
  EXPECT_TRUE(ReadAll(in.filePath("summary.csv")).contains("\r\nmany.dvg,ok,,"));
  EXPECT_TRUE(ReadAll(in.filePath("summary.csv")).contains(",1000001,")) << "lines drawn";
}

TEST(RenderOutput, SvgByExtensionAndNoFileOnFailure) {
  QTemporaryDir out;
  const QString svg = out.filePath("square.svg");
  EXPECT_EQ(Render("-o " + svg + " " + Data("class/square.dvg")).status, 0);
  const QStringList elements = SvgElements(svg);
  EXPECT_EQ(elements.count("polyline"), 1);
  EXPECT_EQ(elements.count("rect"), 1);
  EXPECT_EQ(Render("-o " + out.filePath("none/x.svg") + " " + Data("class/square.dvg")).status, 2);
  EXPECT_EQ(
      Render("-o " + out.filePath("x.png") + " --contact-sheet s.png " + Data("class/square.dvg"))
          .status,
      2);
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"square.svg"});
}

}  // namespace
