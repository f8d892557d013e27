// dravel-render's picture outputs end to end: -o FILE.svg, and the folder mode
// on data/class (a script that fails, one that loops until its timeout, one
// with a Chinese name, a file that is not a script) with its summary, its
// pictures and the contact sheet.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <string>

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
    "script\texit\tresult\tlast message\twhere\n"
    "broken.dvg\t1\tfailed\t第2行存在无法识别的命令！\tline 2\n"
    "forever.dvg\t1\ttimeout\t已停止调试程序！\t\n"
    "square.dvg\t0\tok\t程序调试完毕！\t\n"
    "五角星.dvg\t0\tok\t程序调试完毕！\t\n";

TEST(RenderFolder, RendersEveryScriptWithSummaryAndContactSheet) {
  QTemporaryDir out;
  const QString sheet = out.filePath("sheet.png");
  const Result result =
      Render("--timeout 0.3 -o " + out.path() + " --contact-sheet " + sheet + " " + Data("class"));
  EXPECT_EQ(result.status, 1);  // two scripts did not end well
  EXPECT_EQ(result.out, kSummary);
  EXPECT_EQ(ReadAll(out.filePath("summary.txt")), QByteArray(kSummary));
  for (const char* name : {"broken", "forever", "square", "五角星"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(QImage(out.filePath(QString::fromUtf8(name) + ".png")).size(), QSize(732, 420));
  }
  EXPECT_FALSE(QFile::exists(out.filePath("notes.png")));
  const QImage contact(sheet);
  EXPECT_EQ(contact.width(), 12 + 4 * (240 + 12));
  EXPECT_GT(contact.height(), 138);
}

TEST(RenderFolder, WritesSvgPicturesAndGbkSummaryOnRequest) {
  QTemporaryDir out;
  const Result result =
      Render("--timeout 0.3 --gbk --format svg -o " + out.path() + " " + Data("class"));
  EXPECT_EQ(result.status, 1);
  const QStringList square = SvgElements(out.filePath("square.svg"));
  EXPECT_EQ(square.count("polyline"), 1);
  EXPECT_EQ(SvgElements(out.filePath(QString::fromUtf8("五角星.svg"))).count("text"), 1);
  EXPECT_TRUE(ReadAll(out.filePath("summary.txt")).contains("\xb3\xcc\xd0\xf2"));  // 程序
}

TEST(RenderFolder, AFolderWithoutScriptsIsAFailureWithAValidSheet) {
  QTemporaryDir in;
  ASSERT_TRUE(QDir(in.path()).mkdir("empty.dvg"));  // a folder, not a script
  const Result result = Render("--contact-sheet " + in.filePath("s.png") + " " + in.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "script\texit\tresult\tlast message\twhere\n");
  EXPECT_FALSE(QImage(in.filePath("s.png")).isNull());
}

// Every .dvg entry gets a row and a picture of its own: a pipe and a broken
// link are unreadable, a.dvg and a.DVG keep apart, a tab in a name cannot
// break the summary's columns.
TEST(RenderFolder, OddEntriesEachGetTheirOwnRow) {
  QTemporaryDir in;
  const auto write = [&](const QString& name, const char* text) {
    QFile file(in.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  };
  write("a.dvg", "go 10");
  write("a.DVG", "go 20");
  write("t\tab.dvg", "go 5");
  ASSERT_EQ(mkfifo(QFile::encodeName(in.filePath("pipe.dvg")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(in.filePath("nowhere"), in.filePath("link.dvg")));
  const Result result = Render("--timeout 2 '" + in.path() + "'");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "script\texit\tresult\tlast message\twhere\n"
            "a.DVG\t0\tok\t程序调试完毕！\t\n"
            "a.dvg\t0\tok\t程序调试完毕！\t\n"
            "link.dvg\t2\tunreadable\t\t\n"
            "pipe.dvg\t2\tunreadable\t\t\n"
            "t\\tab.dvg\t0\tok\t程序调试完毕！\t\n");
  for (const char* picture : {"a.dvg.png", "a.DVG.png", "t\tab.png"})
    EXPECT_EQ(QImage(in.filePath(picture)).size(), QSize(732, 420)) << picture;
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
