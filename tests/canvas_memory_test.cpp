// Layers and pictures the memory cannot hold, on the one canvas and the
// desktop's shells around it: each is refused with an empty result, never
// written into, and the canvas keeps what it had. The allocations fail
// through the pixel memory limit rather than by exhausting the machine's
// memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "canvas/canvas.h"
#include "canvas/canvas_core.h"
#include "canvas/dense_layer.h"
#include "canvas/picture_export.h"
#include "canvas/pixel_memory.h"
#include "canvas/png_encoder.h"
#include "canvas/qt_pixels.h"

namespace dravel {
namespace {

constexpr int kWidth = 200, kHeight = 100;
constexpr size_t kLayerBytes = size_t(kWidth) * kHeight * 4;
constexpr uint32_t kGreen = 0x00FF00;  // 0x00BBGGRR

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

uint32_t VisibleAt(const Canvas& canvas, int x, int y) {
  const PixelView layer = canvas.VisibleLayer();
  return ColourOf(layer.pixels[ptrdiff_t(y) * layer.stride + x]);
}

TEST(CanvasMemory, ACanvasTooBigForMemoryIsNotMade) {
  const PixelLimit limit(kLayerBytes);
  EXPECT_EQ(Canvas::Create(kWidth + 1, kHeight), nullptr);
  EXPECT_EQ(CanvasCore::Create(kWidth, kHeight + 1), nullptr);
  // At the limit itself both layers are had.
  EXPECT_NE(Canvas::Create(kWidth, kHeight), nullptr);
}

TEST(CanvasMemory, AResizeWithoutMemoryKeepsTheCanvasAndItsDrawing) {
  const std::unique_ptr<Canvas> canvas = Canvas::Create(kWidth, kHeight);
  ASSERT_NE(canvas, nullptr);
  canvas->SetPenColour(kGreen);
  canvas->Turtle().Forward(30);
  const std::vector<uint32_t> before = canvas->Paint();
  const PixelLimit limit(kLayerBytes);
  EXPECT_FALSE(canvas->Resize(kWidth * 2, kHeight));
  EXPECT_EQ(canvas->Width(), kWidth);
  EXPECT_EQ(canvas->Paint(), before);
  EXPECT_EQ(canvas->StateOf().y, 30);
  canvas->Turtle().Forward(10);  // and it still draws
  EXPECT_EQ(VisibleAt(*canvas, 100, 50 - 35), kGreen);
  EXPECT_TRUE(canvas->Resize(kWidth / 2, kHeight));
}

TEST(CanvasMemory, FramesSnapshotsAndPicturesWithoutMemoryComeOutEmpty) {
  const std::unique_ptr<CanvasCore> core = CanvasCore::Create(kWidth, kHeight);
  ASSERT_NE(core, nullptr);
  {
    auto canvas = core->Lock();
    canvas->KeepRecord(true);
    canvas->SetBackgroundPicture({2, 1, {0xFFFF0000u, 0xFFFF0000u}});
  }
  core->Turtle().Forward(30);
  std::string snapshot;
  DenseLayer dense;
  {
    auto canvas = core->Lock();
    snapshot = canvas->Snapshot();
    // Room for the logical frame, not for a dense one twice its size.
    const PixelLimit limit(kLayerBytes);
    EXPECT_EQ(dense.Frame(*canvas, 2).size(), QSize(kWidth, kHeight));
  }
  const PixelLimit limit(kLayerBytes - 1);
  {
    auto canvas = core->Lock();
    EXPECT_TRUE(canvas->Paint().empty());
    EXPECT_TRUE(canvas->BackgroundPicture().Empty());
    EXPECT_FALSE(canvas->Drawing().complete);
    EXPECT_TRUE(canvas->Snapshot().empty());
    EXPECT_TRUE(FrameImage(*canvas).isNull());
    EXPECT_TRUE(ImageOf(canvas->VisibleLayer()).isNull());
    EXPECT_TRUE(dense.Frame(*canvas, 2).isNull());
    // Giving a snapshot back needs no memory of its own.
    EXPECT_TRUE(canvas->Restore(snapshot));
  }
  // A PNG of the layer copies nothing (room for its scan lines is enough);
  // with the turtles it needs room to paint their rows apart.
  EXPECT_FALSE(PictureBytes(*core, PictureFormat::Png).empty());
  EXPECT_TRUE(PictureBytes(*core, PictureFormat::Png, true).empty());
  EXPECT_TRUE(PictureBytes(*core, PictureFormat::Svg).empty());
}

TEST(CanvasMemory, APngWithoutMemoryToEncodeIsEmpty) {
  const std::unique_ptr<Canvas> canvas = Canvas::Create(kWidth, kHeight);
  ASSERT_NE(canvas, nullptr);
  canvas->Turtle().Forward(30);
  // The scan lines of a few colours are a byte a pixel.
  const PixelLimit limit(size_t(kWidth) * kHeight);
  const PixelView layer = canvas->VisibleLayer();
  EXPECT_TRUE(EncodePng(layer.pixels, kWidth, kHeight, layer.stride).empty());
}

}  // namespace
}  // namespace dravel
