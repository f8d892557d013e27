// The user guide: where the hyperlink's address leads, the page the build
// writes (Chinese in GBK, every command and example with its picture), and
// the window's link when no guide is there.
#include "mainwindow/user_guide.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <set>

#include "interpreter/command_table.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/qt_text.h"
#include "mainwindow_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::testing {
namespace {

TEST(UserGuideUrl, TakesRelativePathsFromTheProgramsFolderAndUrlsAsTheyAre) {
  struct Case {
    const char* address;
    const char* url;
  };
  const Case cases[] = {
      {"../share/dravel/guide/index.html", "file:///opt/dravel/share/dravel/guide/index.html"},
      {"guide/index.html", "file:///opt/dravel/bin/guide/index.html"},
      {"/usr/share/doc/dravel/index.html", "file:///usr/share/doc/dravel/index.html"},
      {"https://example.org/dravel/", "https://example.org/dravel/"},
      {"file:///srv/guide.html", "file:///srv/guide.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(UserGuideUrl(QString::fromUtf8(c.address), QStringLiteral("/opt/dravel/bin"))
                  .toString()
                  .toStdString(),
              c.url);
  }
}

QString GuideHtml(const char* name) {
  QFile file(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/guide/") + QString::fromLatin1(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

TEST(UserGuide, OnePageInGbkWithEveryCommandExampleAndPicture) {
  const QString chapters = GuideHtml("chapters.html");
  const std::vector<GuideFile> files = UserGuideFiles(GuideHtml("head.html"), chapters);
  ASSERT_FALSE(files.empty());
  ASSERT_EQ(files[0].name, QStringLiteral("index.html"));
  const QString page = FromGbk(files[0].bytes.toStdString());
  EXPECT_TRUE(page.contains(chapters)) << "the chapters come through GBK whole";
  EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"GBK\">")));
  for (const CommandRow* row : AllCommands()) {
    EXPECT_TRUE(page.contains(FromGbk(row->keyword))) << row->keyword;
  }
  for (const Example& example : Examples()) {
    EXPECT_TRUE(page.contains(QStringLiteral("<h3>%1</h3>").arg(example.name)))
        << example.name.toStdString();
  }
  std::set<QString> written;
  for (const GuideFile& file : files) written.insert(file.name);
  const QRegularExpression source(QStringLiteral("src=\"([^\"]+)\""));
  for (const auto& match : source.globalMatch(page)) {
    const QString picture = match.captured(1);
    SCOPED_TRACE(picture.toStdString());
    const QString screenshot = QStringLiteral(DRAVEL_SOURCE_DIR "/docs/") + picture.mid(9);
    EXPECT_TRUE(written.count(picture) == 1 || QFileInfo::exists(screenshot));
  }
  for (const char* name :
       {"start", "language", "checker", "runs", "reference", "keys", "examples"}) {
    const QString anchor = QString::fromLatin1(name);
    EXPECT_TRUE(page.contains("id=\"" + anchor + "\"") || page.contains("name=\"" + anchor + "\""))
        << anchor.toStdString();
  }
}

TEST(UserGuide, TheBuildWritesItWhereTheLinkLooks) {
  const QUrl guide = UserGuideUrl(UserGuideAddress(), QStringLiteral(DRAVEL_APP_DIR));
  ASSERT_TRUE(guide.isLocalFile());
  EXPECT_TRUE(QFileInfo::exists(guide.toLocalFile())) << guide.toLocalFile().toStdString();
}

TEST_F(WindowTest, TheHyperlinkLeadsToTheGuideAndSaysSoWhenItIsMissing) {
  auto* link = Window().findChild<QLabel*>(QString::fromUtf8("超级链接框1"));
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->text().contains(MainWindow::GuideUrl().toString()));
  EXPECT_EQ(link->text().contains(QStringLiteral("ombra")), false);
  // The test program's folder holds no guide.
  Window().OpenUserGuide();
  EXPECT_EQ(FromGbk(Hint()).contains(QStringLiteral("找不到使用说明：") +
                                     MainWindow::GuideUrl().toLocalFile()),
            true);
}

}  // namespace
}  // namespace dravel::testing
