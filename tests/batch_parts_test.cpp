// The folder mode's parts: the match score on drawn pixels, the child's
// report read back whole or not at all, names shown from their bytes.
#include <gtest/gtest.h>

#include <QPainter>
#include <cerrno>

#include "apps/dravel-render/batch_child.h"
#include "apps/dravel-render/picture_names.h"
#include "apps/dravel-render/picture_score.h"
#include "apps/dravel-render/script_folder.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

QImage Canvas(const std::function<void(QPainter&)>& draw) {
  QImage image(200, 120, QImage::Format_RGB32);
  image.fill(QColor(0x60, 0x60, 0x60));
  QPainter painter(&image);
  painter.setPen(Qt::green);
  draw(painter);
  return image;
}

TEST(MatchScore, RewardsTheSameDrawingAndForgivesAPixelOrTwo) {
  const auto star = [](int dx, int dy) {
    return Canvas([=](QPainter& p) {
      p.drawLine(20 + dx, 100 + dy, 100 + dx, 10 + dy);
      p.drawLine(100 + dx, 10 + dy, 180 + dx, 100 + dy);
      p.drawEllipse(QPoint(100 + dx, 70 + dy), 30, 20);
    });
  };
  const QImage empty = Canvas([](QPainter&) {});
  const QImage other = Canvas([](QPainter& p) { p.drawRect(10, 10, 60, 40); });
  EXPECT_EQ(MatchScore(star(0, 0), star(0, 0)), 100.0);
  EXPECT_EQ(MatchScore(star(1, 0), star(0, 0)), 100.0);
  EXPECT_EQ(MatchScore(star(2, 2), star(0, 0)), 100.0);
  EXPECT_LT(*MatchScore(star(8, 8), star(0, 0)), 50.0) << "far off is not a match";
  EXPECT_EQ(MatchScore(empty, star(0, 0)), 0.0);
  EXPECT_EQ(MatchScore(star(0, 0), empty), 0.0);
  EXPECT_EQ(MatchScore(empty, empty), 100.0);
  EXPECT_LT(*MatchScore(other, star(0, 0)), 20.0);
  EXPECT_FALSE(MatchScore(star(0, 0), star(0, 0).scaled(100, 60)).has_value());
  // Half the target drawn (two lines of 90 pixels): all precision, half the recall.
  const QImage half = Canvas([](QPainter& p) { p.drawLine(20, 100, 100, 10); });
  const QImage whole =
      Canvas([](QPainter& p) { p.drawLine(20, 100, 100, 10), p.drawLine(120, 10, 180, 100); });
  EXPECT_NEAR(*MatchScore(half, whole), 100 * 2 * 0.5 / 1.5, 1);
}

TEST(ChildReport, ReadsBackWholeOrNotAtAll) {
  ChildReport report;
  report.exit_status = 1;
  report.result = "failed";
  report.last_line = Utf8ToGbk("第2行存在无法识别的命令！\t\\");
  report.place = "line 3, body item 2";
  report.picture_error = ELOOP;
  report.lines_drawn = 12345678901;
  report.milliseconds = 42;
  report.score = 97.0 / 3;
  const std::string text = ReportText(report);
  const std::optional<ChildReport> back = ParseReport(text);
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
  EXPECT_FALSE(ParseReport(ReportText(report))->score.has_value());
  for (size_t cut : {size_t(0), size_t(5), text.size() - 1}) {
    EXPECT_FALSE(ParseReport(text.substr(0, cut)).has_value()) << cut;
  }
  EXPECT_FALSE(ParseReport("exit\tx\n" + text.substr(text.find('\n') + 1)).has_value());
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PictureNames(c.scripts, ".png", c.reserved), c.pictures);
  }
}

TEST(ShownName, Utf8WhenValidElseGbk) {
  EXPECT_EQ(ShownName("square.dvg"), QStringLiteral("square.dvg"));
  EXPECT_EQ(ShownName("五角星.dvg"), QString::fromUtf8("五角星.dvg"));
  EXPECT_EQ(ShownName(Utf8ToGbk("五角星.dvg")), QString::fromUtf8("五角星.dvg"));
}

}  // namespace
}  // namespace dravel
