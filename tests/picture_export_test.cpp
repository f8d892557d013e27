// Picture export: the recorded drawing written as SVG against the visible
// layer it must match, the PNG bytes against the layer itself, the empty
// canvas, the bounded record and its bitmap fallback, and failed writes.
#include "canvas/picture_export.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <functional>

#include "canvas/bundled_font.h"
#include "canvas/qt_pixels.h"
#include "canvas/svg_writer.h"

namespace dravel {
namespace {

constexpr int kWidth = 240, kHeight = 160;
constexpr uint32_t kPen = 0x00FF00, kBackground = 0x606060;

struct Polyline {
  std::vector<QPointF> points;
  QString stroke;
};
struct SvgText {
  QString transform;
  QString content;
};
struct ParsedSvg {
  bool ok = false;
  QString background;
  std::vector<Polyline> lines;
  std::vector<SvgText> texts;
  QString desc;
  int images = 0;
};

std::vector<QPointF> Points(const QString& text) {
  std::vector<QPointF> points;
  for (const QString& pair : text.split(' ', Qt::SkipEmptyParts)) {
    const QStringList xy = pair.split(',');
    points.emplace_back(xy[0].toDouble(), xy[1].toDouble());
  }
  return points;
}

ParsedSvg Parse(const QByteArray& svg) {
  ParsedSvg parsed;
  QXmlStreamReader xml(svg);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto name = xml.name();
    const auto attributes = xml.attributes();
    if (name == u"rect") parsed.background = attributes.value("fill").toString();
    if (name == u"image") ++parsed.images;
    if (name == u"desc") parsed.desc = xml.readElementText();
    if (name == u"polyline")
      parsed.lines.push_back(
          {Points(attributes.value("points").toString()), attributes.value("stroke").toString()});
    if (name == u"text") {
      const QString transform = attributes.value("transform").toString();
      parsed.texts.push_back({transform, xml.readElementText()});
    }
  }
  parsed.ok = !xml.hasError();
  if (xml.hasError()) ADD_FAILURE() << xml.errorString().toStdString();
  return parsed;
}

QImage Rasterise(const QByteArray& svg) {
  QSvgRenderer renderer(svg);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  renderer.render(&painter);
  return image;
}

// Pixels nearer the pen colour than the background: the renderer may smooth
// edges, so ink is told by distance, not by exact colour.
std::vector<bool> InkMask(const QImage& image) {
  const QColor pen = QColor::fromRgb(PixelOf(kPen)), back = QColor::fromRgb(PixelOf(kBackground));
  auto distance = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
  };
  std::vector<bool> mask(size_t(image.width() * image.height()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgb(image.pixel(x, y));
      mask[size_t(y * image.width() + x)] = distance(c, pen) < distance(c, back);
    }
  return mask;
}

bool InkNear(const std::vector<bool>& mask, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx >= 0 && nx < kWidth && ny >= 0 && ny < kHeight && mask[size_t(ny * kWidth + nx)])
        return true;
    }
  return false;
}

// Ink pixels of `from` with no ink within one pixel in `to`.
int Unmatched(const std::vector<bool>& from, const std::vector<bool>& to) {
  int unmatched = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (from[size_t(y * kWidth + x)] && !InkNear(to, x, y)) ++unmatched;
  return unmatched;
}

int InkCount(const std::vector<bool>& mask) {
  return int(std::count(mask.begin(), mask.end(), true));
}

// The rasterised SVG and the layer agree up to `tolerance` of the ink pixels.
void ExpectSamePicture(const QImage& layer, const QImage& drawn, double tolerance) {
  const std::vector<bool> a = InkMask(layer), b = InkMask(drawn);
  const int ink = InkCount(a);
  EXPECT_GT(ink, 0);
  EXPECT_LE(Unmatched(a, b), ink * tolerance);
  EXPECT_LE(Unmatched(b, a), ink * tolerance);
  EXPECT_EQ(drawn.pixel(0, 0), PixelOf(kBackground));
}

// The layer position of the pixel centre of a turtle point.
QPointF PixelCentre(TurtlePoint point) {
  return {kWidth / 2 + RoundSaturated(point.x) + 0.5, kHeight / 2 - RoundSaturated(point.y) + 0.5};
}

class PictureExportTest : public ::testing::Test {
 public:
  PictureExportTest() {
    auto canvas = core_->Lock();
    canvas->SetEdgeMode(EdgeMode::Wrap);
    canvas->SetPenColour(kPen);
    canvas->SetBackgroundColour(kBackground);
    canvas->SetTextPainter(BundledTextPainter());
    canvas->KeepRecord(true);
  }

  // Moves forward and keeps where the turtle went.
  void Go(double distance) {
    core_->Turtle().Forward(distance);
    const TurtleState turtle = core_->Lock()->StateOf();
    visited_.push_back({turtle.x, turtle.y});
  }

  QByteArray Bytes(PictureFormat format) {
    return QByteArray::fromStdString(PictureBytes(*core_, format));
  }
  QImage Visible() { return ImageOf(core_->Lock()->VisibleLayer()); }

  void ExpectMatchesLayer(const QByteArray& svg, double tolerance) {
    ExpectSamePicture(Visible(), Rasterise(svg), tolerance);
  }

  std::unique_ptr<CanvasCore> core_ = CanvasCore::Create(kWidth, kHeight);
  std::vector<TurtlePoint> visited_{{0, 0}};
};

TEST_F(PictureExportTest, LinesMatchTheLayerAtPixelCentres) {
  struct Case {
    const char* name;
    std::function<void(PictureExportTest&)> draw;
  } cases[] = {
      {"square",
       [](PictureExportTest& t) {
         for (int i = 0; i < 4; ++i) {
           t.Go(60);
           t.core_->Turtle().TurnRight(90);
         }
       }},
      {"star",
       [](PictureExportTest& t) {
         for (int i = 0; i < 5; ++i) {
           t.Go(70);
           t.core_->Turtle().TurnLeft(144);
         }
       }},
      {"slanted",
       [](PictureExportTest& t) {
         t.core_->Turtle().TurnRight(33.3);
         t.Go(50.4);
         t.core_->Turtle().TurnLeft(71);
         t.Go(30.25);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core_->Turtle().Clear();
    visited_ = {{0, 0}};
    c.draw(*this);
    const QByteArray svg = Bytes(PictureFormat::Svg);
    const ParsedSvg parsed = Parse(svg);
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.lines.size(), 1u);  // one connected path
    const Polyline& line = parsed.lines[0];
    EXPECT_EQ(line.stroke, "#00ff00");
    ASSERT_EQ(line.points.size(), visited_.size());
    for (size_t i = 0; i < visited_.size(); ++i) {
      const QPointF expected = PixelCentre(visited_[i]);
      EXPECT_LE(std::abs(line.points[i].x() - expected.x()), 0.5) << i;
      EXPECT_LE(std::abs(line.points[i].y() - expected.y()), 0.5) << i;
    }
    ExpectMatchesLayer(svg, 0.02);
  }
}

TEST_F(PictureExportTest, CircleAndEllipsePointsLieOnTheCurve) {
  struct Case {
    double rx, ry;
  } cases[] = {{50, 50}, {70, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rx);
    core_->Turtle().Clear();
    core_->Turtle().Ellipse(c.rx, c.ry);
    const QByteArray svg = Bytes(PictureFormat::Svg);
    const ParsedSvg parsed = Parse(svg);
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.lines.size(), 1u);
    // Chords: trunc(360 * r * 0.005), each with its end point, and the start.
    EXPECT_EQ(parsed.lines[0].points.size(), size_t(std::trunc(1.8 * std::max(c.rx, c.ry))) + 1);
    for (const QPointF& p : parsed.lines[0].points) {
      const double dx = p.x() - (kWidth / 2 + 0.5), dy = p.y() - (kHeight / 2 + 0.5);
      EXPECT_NEAR(std::hypot(dx / c.rx, dy / c.ry), 1.0, 1e-3);
    }
    ExpectMatchesLayer(svg, 0.02);
  }
}

TEST_F(PictureExportTest, TextKeepsItsAnchorAndAngle) {
  const char kHello[] = "\xc4\xe3\xba\xc3 A&<b>";  // 你好 A&<b>
  struct Case {
    double heading;
    const char* transform;
  } cases[] = {{0, "translate(120,80) rotate(-90)"}, {90, "translate(120,80)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    core_->Turtle().Clear();
    core_->Turtle().TurnRight(c.heading);
    core_->Turtle().WriteText(kHello);
    const QByteArray svg = Bytes(PictureFormat::Svg);
    const ParsedSvg parsed = Parse(svg);
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.texts.size(), 1u);
    EXPECT_EQ(parsed.texts[0].transform, c.transform);
    EXPECT_EQ(parsed.texts[0].content, QString::fromUtf8("你好 A&<b>"));
    // Glyphs may be set a little differently; the text lies in the same place.
    ExpectMatchesLayer(svg, 0.25);
  }
}

TEST_F(PictureExportTest, ClearInTheMiddleKeepsOnlyWhatCameAfter) {
  Go(50);
  core_->Turtle().WriteText("x");
  core_->Turtle().Clear();
  core_->Turtle().TurnRight(90);
  Go(40);
  const QByteArray svg = Bytes(PictureFormat::Svg);
  const ParsedSvg parsed = Parse(svg);
  ASSERT_EQ(parsed.lines.size(), 1u);
  EXPECT_TRUE(parsed.texts.empty());
  EXPECT_EQ(parsed.lines[0].points.back(), PixelCentre({40, 0}));
  ExpectMatchesLayer(svg, 0.02);
}

TEST_F(PictureExportTest, WrapCutLineIsRecordedPieceByPiece) {
  core_->Turtle().TurnRight(30);
  core_->Turtle().Forward(300);
  const ParsedSvg parsed = Parse(Bytes(PictureFormat::Svg));
  ASSERT_GE(parsed.lines.size(), 3u);
  for (const Polyline& line : parsed.lines) {
    ASSERT_EQ(line.points.size(), 2u);
    for (const QPointF& p : line.points) {
      EXPECT_GE(p.x(), 0);
      EXPECT_LE(p.x(), kWidth + 0.5);
      EXPECT_GE(p.y(), 0);
      EXPECT_LE(p.y(), kHeight + 0.5);
    }
  }
  ExpectMatchesLayer(Bytes(PictureFormat::Svg), 0.02);
}

TEST_F(PictureExportTest, FarLinesAreClippedAndWideLinesKeepTheirWidth) {
  core_->Lock()->SetEdgeMode(EdgeMode::Unbounded);
  core_->Lock()->SetPenWidth(5);
  core_->Turtle().TurnRight(45);
  core_->Turtle().Forward(1e12);
  const QByteArray svg = Bytes(PictureFormat::Svg);
  const ParsedSvg parsed = Parse(svg);
  ASSERT_EQ(parsed.lines.size(), 1u);
  for (const QPointF& p : parsed.lines[0].points) {
    EXPECT_LE(std::abs(p.x()), kWidth + 5);
    EXPECT_LE(std::abs(p.y()), kHeight + 5);
  }
  EXPECT_TRUE(svg.contains("stroke-width=\"5\""));
  ExpectMatchesLayer(svg, 0.05);
}

// The layers draw wide pens as capsules around pixel centres; the record
// keeps the same centres and the writer rounds the ends.
TEST_F(PictureExportTest, WidePensMatchTheLayer) {
  for (int width : {2, 7, 20}) {
    SCOPED_TRACE(width);
    core_->Turtle().Clear();
    core_->Lock()->SetPenWidth(width);
    for (int i = 0; i < 5; ++i) {
      core_->Turtle().Forward(60.4);
      core_->Turtle().TurnRight(144);
    }
    ExpectMatchesLayer(Bytes(PictureFormat::Svg), 0.02);
  }
}

TEST_F(PictureExportTest, PngIsTheVisibleLayerExactly) {
  core_->Turtle().Circle(40);
  core_->Turtle().WriteText("\xc4\xe3");
  const QImage png = QImage::fromData(Bytes(PictureFormat::Png), "PNG");
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), Visible());
}

TEST_F(PictureExportTest, EmptyCanvasGivesAValidEmptyPicture) {
  const QByteArray svg = Bytes(PictureFormat::Svg);
  const ParsedSvg parsed = Parse(svg);
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.background, "#606060");
  EXPECT_TRUE(parsed.lines.empty());
  EXPECT_EQ(Rasterise(svg), Visible());
  const QImage png = QImage::fromData(Bytes(PictureFormat::Png), "PNG");
  EXPECT_EQ(png.size(), QSize(kWidth, kHeight));
}

TEST_F(PictureExportTest, BackgroundChangesShowUnderEarlierDrawing) {
  Go(50);
  core_->Lock()->SetBackgroundColour(0x203040);
  core_->Lock()->SetBackgroundPicture({30, 20, std::vector<uint32_t>(600, qRgb(200, 10, 10))});
  core_->Lock()->SetPictureMode(3);  // centred
  const QByteArray svg = Bytes(PictureFormat::Svg);
  const ParsedSvg parsed = Parse(svg);
  EXPECT_EQ(parsed.background, "#403020");
  EXPECT_EQ(parsed.images, 1);
  ASSERT_EQ(parsed.lines.size(), 1u);
  const QImage drawn = Rasterise(svg), layer = Visible();
  for (QPoint at : {QPoint(5, 5), QPoint(kWidth / 2 - 10, kHeight / 2 + 5)}) {
    SCOPED_TRACE(at.x());
    EXPECT_EQ(drawn.pixel(at), layer.pixel(at));
  }
}

TEST_F(PictureExportTest, ResizeEmptiesTheRecord) {
  Go(30);
  ASSERT_TRUE(core_->Lock()->Resize(100, 50));
  const DrawingSnapshot drawing = core_->Lock()->Drawing();
  EXPECT_TRUE(drawing.record.Lines().empty());
  EXPECT_EQ(drawing.record.Size(), (BoxSize{100, 50}));
}

TEST_F(PictureExportTest, OverflowEmbedsTheVisibleLayerAndFreesTheList) {
  for (size_t i = 0; i <= DrawingRecord::kMaxItems; ++i) {
    core_->Turtle().Forward(3);
    core_->Turtle().TurnRight(1);
  }
  const DrawingSnapshot drawing = core_->Lock()->Drawing();
  EXPECT_TRUE(drawing.record.Incomplete());
  EXPECT_EQ(drawing.record.Lines().capacity(), 0u);
  // The count of lines does not go with the list (dravel-render reports it).
  EXPECT_GT(core_->Lock()->LinesDrawn(), DrawingRecord::kMaxItems);
  const QByteArray svg = QByteArray::fromStdString(WriteSvg(drawing));
  const ParsedSvg parsed = Parse(svg);
  EXPECT_EQ(parsed.desc, kSvgBitmapFallback);
  EXPECT_EQ(parsed.images, 1);
  EXPECT_EQ(Rasterise(svg), Visible());
  core_->Turtle().Clear();
  Go(10);
  EXPECT_FALSE(core_->Lock()->Drawing().record.Incomplete());
  EXPECT_EQ(core_->Lock()->LinesDrawn(), 1u);
}

TEST_F(PictureExportTest, ControlCharactersNeverBreakTheXml) {
  core_->Turtle().WriteText(
      std::string_view("a\x01\x1f\x7f\xff\xfe"
                       "b",
                       7));
  const ParsedSvg parsed = Parse(Bytes(PictureFormat::Svg));
  ASSERT_TRUE(parsed.ok);
  ASSERT_EQ(parsed.texts.size(), 1u);
  EXPECT_TRUE(parsed.texts[0].content.startsWith('a'));
}

TEST(PictureFile, FormatFollowsTheExtension) {
  EXPECT_EQ(FormatOfPath("a.svg"), PictureFormat::Svg);
  EXPECT_EQ(FormatOfPath("/x/A.SVG"), PictureFormat::Svg);
  EXPECT_EQ(FormatOfPath("a.png"), PictureFormat::Png);
  EXPECT_EQ(FormatOfPath("svg"), PictureFormat::Png);
}

TEST(PictureFile, FailedWritesLeaveNoFileAndNoEmptyFile) {
  QTemporaryDir dir;
  const std::string path = QDir(dir.path()).filePath("p.png").toStdString();
  EXPECT_FALSE(WritePictureFile(path, {}).Ok());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
  EXPECT_FALSE(WritePictureFile(dir.path().toStdString() + "/none/p.png", "x").Ok());
  ASSERT_TRUE(WritePictureFile(path, "png").Ok());
  EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 3);
}

}  // namespace
}  // namespace dravel
