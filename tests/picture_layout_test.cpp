// A background picture laid out by the plain canvas gives the pixels Qt's
// painter gives without smoothing (as the window always drew it), in every
// mode, for pictures smaller and larger than the layer.
#include "canvas/picture_layout.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "canvas/qt_pixels.h"

namespace dravel {
namespace {

QImage Picture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.setPixel(x, y, qRgb(x * 7, y * 11, (x ^ y) * 13));
  return picture;
}

QImage ByQPainter(const QImage& picture, PictureMode mode, int width, int height) {
  QImage target(width, height, QImage::Format_RGB32);
  target.fill(qRgb(1, 2, 3));
  QPainter painter(&target);
  switch (mode) {
    case PictureMode::TopLeft: painter.drawImage(0, 0, picture); break;
    case PictureMode::Stretch: painter.drawImage(target.rect(), picture); break;
    case PictureMode::Tile:
      painter.drawTiledPixmap(target.rect(), QPixmap::fromImage(picture));
      break;
    case PictureMode::Centre:
      painter.drawImage((width - picture.width()) / 2, (height - picture.height()) / 2, picture);
      break;
  }
  return target;
}

TEST(PictureLayout, EveryModeLaysThePixelsQtsPainterLays) {
  struct Size {
    int width, height;
  } pictures[] = {{1, 1}, {3, 2}, {17, 9}, {40, 30}, {250, 7}, {7, 190}, {333, 211}};
  const Size layers[] = {{100, 60}, {1, 1}, {732, 420}, {99, 101}};
  for (const Size& layer : layers) {
    for (const Size& size : pictures) {
      const QImage picture = Picture(size.width, size.height);
      for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " on " << layer.width
                                        << "x" << layer.height << " mode " << mode);
        const QImage expected = ByQPainter(picture, PictureMode(mode), layer.width, layer.height);
        PixelImage laid{
            layer.width, layer.height,
            std::vector<uint32_t>(size_t(layer.width) * size_t(layer.height), qRgb(1, 2, 3))};
        LayOutPicture(laid.Target(), PixelsOf(picture), PictureMode(mode));
        ASSERT_EQ(ImageOf(laid.View()), expected);
      }
    }
  }
}

}  // namespace
}  // namespace dravel
