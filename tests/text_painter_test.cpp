// Text set into a mask of its box gives the pixels that setting it straight
// onto a whole layer gives (as the window always drew it), for every angle
// and near every edge, and the box stays within the layer.
#include "canvas/text_painter.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr int kWidth = 240, kHeight = 160;

// The pixels a painter on the whole layer covers with `gbk` at (x, y).
QImage OnTheLayer(const std::string& gbk, int x, int y, int escapement) {
  QImage layer(kWidth, kHeight, QImage::Format_RGB32);
  layer.fill(Qt::black);
  QPainter painter(&layer);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  const QFont font = TextPainterFont();
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.translate(x, y);
  painter.rotate(-escapement / 10.0);
  painter.drawText(QPoint(0, QFontMetrics(font).ascent()), QString::fromStdString(GbkToUtf8(gbk)));
  return layer;
}

TEST(TextPainter, AMaskOfTheBoxHoldsThePixelsTheWholeLayerWouldGet) {
  const std::string text = Utf8ToGbk("画图 Dravel");
  struct Case {
    int x, y, escapement;
  } cases[] = {{20, 60, 0},     {120, 80, 900}, {120, 80, 1350}, {120, 80, 2700}, {200, 150, 0},
               {-30, 70, 3150}, {5, -10, 450},  {230, 5, 1800},  {4000, 80, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.escapement);
    const TextMask mask = PaintTextMask({text, c.x, c.y, c.escapement, kWidth, kHeight});
    ASSERT_EQ(mask.coverage.size(), size_t(mask.width) * size_t(mask.height));
    EXPECT_GE(mask.left, 0);
    EXPECT_GE(mask.top, 0);
    EXPECT_LE(mask.left + mask.width, kWidth);
    EXPECT_LE(mask.top + mask.height, kHeight);
    const QImage layer = OnTheLayer(text, c.x, c.y, c.escapement);
    int covered = 0, differing = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool in_box = x >= mask.left && x < mask.left + mask.width && y >= mask.top &&
                            y < mask.top + mask.height;
        const bool masked =
            in_box && mask.coverage[size_t(y - mask.top) * size_t(mask.width) + (x - mask.left)];
        const bool drawn = layer.pixel(x, y) != qRgb(0, 0, 0);
        covered += drawn;
        differing += masked != drawn;
      }
    }
    EXPECT_EQ(differing, 0) << covered << " pixels covered on the layer";
  }
}

}  // namespace
}  // namespace dravel
