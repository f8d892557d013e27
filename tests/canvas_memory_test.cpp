// Layers and pictures the memory cannot hold, on the desktop's canvas and
// the web edition's: each is refused with an empty result, never written
// into, and the canvas keeps what it had. The allocations fail through the
// pixel memory limit rather than by exhausting the machine's memory.
#include <gtest/gtest.h>

#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "canvas/pixel_canvas.h"
#include "canvas/pixel_memory.h"
#include "canvas/png_encoder.h"
#include "support/desktop_pixels.h"

namespace dravel {
namespace {

constexpr int kWidth = 200, kHeight = 100;
constexpr size_t kLayerBytes = size_t(kWidth) * kHeight * 4;

// The limit for the scope of one test.
class PixelLimit {
 public:
  explicit PixelLimit(size_t bytes) : previous_(SetPixelMemoryLimit(bytes)) {}
  ~PixelLimit() { SetPixelMemoryLimit(previous_); }
  PixelLimit(const PixelLimit&) = delete;
  PixelLimit& operator=(const PixelLimit&) = delete;

 private:
  size_t previous_;
};

TEST(CanvasMemory, ACanvasTooBigForMemoryIsOnePixelForItsOwnerToRefuse) {
  const PixelLimit limit(kLayerBytes);
  const CanvasCore desktop(kWidth + 1, kHeight);
  EXPECT_EQ(desktop.Size(), QSize(1, 1));
  const PixelCanvas web(kWidth + 1, kHeight, testing::DesktopSprites);
  EXPECT_EQ(web.Surface().Width(), 1);
  EXPECT_EQ(web.Surface().Height(), 1);
  EXPECT_EQ(web.Surface().VisibleLayer().size(), 1u);
  // At the limit itself both layers are had.
  EXPECT_EQ(CanvasCore(kWidth, kHeight).Size(), QSize(kWidth, kHeight));
}

TEST(CanvasMemory, AResizeWithoutMemoryKeepsTheCanvasAndItsDrawing) {
  CanvasCore canvas(kWidth, kHeight);
  canvas.SetPenColour(0x00FF00);
  canvas.Turtle().Forward(30);
  const QImage before = canvas.VisibleLayer();
  const PixelLimit limit(kLayerBytes);
  EXPECT_FALSE(canvas.Resize(kWidth * 2, kHeight));
  EXPECT_EQ(canvas.Size(), QSize(kWidth, kHeight));
  EXPECT_EQ(canvas.VisibleLayer(), before);
  EXPECT_EQ(canvas.StateOf().y, 30);
  canvas.Turtle().Forward(10);  // and it still draws
  EXPECT_EQ(canvas.VisibleLayer().pixelColor(100, 50 - 35), QColor(0, 255, 0));
  EXPECT_TRUE(canvas.Resize(kWidth / 2, kHeight));
}

TEST(CanvasMemory, PicturesWithoutMemoryComeOutEmpty) {
  CanvasCore canvas(kWidth, kHeight);
  canvas.Turtle().Forward(30);
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(Qt::red);
  canvas.SetBackgroundPicture(picture, 0);
  {
    // Room for a copy of the layers, not for a frame twice their size.
    const PixelLimit limit(kLayerBytes);
    EXPECT_EQ(canvas.PaintAt(2).size(), QSize(kWidth, kHeight));
  }
  const PixelLimit limit(kLayerBytes - 1);
  EXPECT_TRUE(canvas.VisibleLayer().isNull());
  EXPECT_TRUE(canvas.Paint().isNull());
  EXPECT_TRUE(canvas.PaintAt(2).isNull());
  EXPECT_FALSE(canvas.Drawing().complete);
  EXPECT_TRUE(PictureBytes(canvas, PictureFormat::Png).isEmpty());
  EXPECT_TRUE(PictureBytes(canvas, PictureFormat::Svg).isEmpty());
}

TEST(CanvasMemory, TheWebCanvasRefusesFramesSnapshotsAndPicturesItHasNoMemoryFor) {
  PixelCanvas canvas(kWidth, kHeight, testing::DesktopSprites);
  canvas.Forward(30);
  const std::string snapshot = canvas.Snapshot();
  PixelCanvas copy(kWidth, kHeight, testing::DesktopSprites);
  const PixelLimit limit(kLayerBytes - 1);
  EXPECT_TRUE(canvas.Paint().empty());
  EXPECT_TRUE(canvas.Snapshot().empty());
  EXPECT_FALSE(copy.Restore(snapshot));
  EXPECT_EQ(copy.StateOf().y, 0);
  // The scan lines of a few colours are a byte a pixel.
  const PixelLimit tighter(size_t(kWidth) * kHeight);
  const std::vector<uint32_t>& layer = canvas.Surface().VisibleLayer();
  EXPECT_TRUE(EncodePng(layer.data(), kWidth, kHeight, kWidth).empty());
}

}  // namespace
}  // namespace dravel
