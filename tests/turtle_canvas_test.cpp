// The canvas component: creation from the main canvas's stored bytes, the
// property setter rules, own image lists and pictures, and the widget's
// resize, focus, painting and coalesced updates on the offscreen platform.
#include "canvas/turtle_canvas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <thread>

#include "canvas/pixel_memory.h"
#include "canvas/qt_pixels.h"
#include "canvas/stored_images.h"

namespace dravel {
namespace {

using Value = TurtleCanvas::PropertyValue;

QByteArray MainCanvasBytes() {
  QFile file(kDravelObject1Properties);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray PngOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

int32_t Number(const Value& value) { return std::get<int32_t>(value); }

QRgb VisibleAt(CanvasCore& core, int x, int y) {
  const PixelView layer = core.Lock()->VisibleLayer();
  return layer.pixels[y * layer.stride + x];
}

class TurtleCanvasTest : public ::testing::Test {
 protected:
  TurtleCanvasTest()
      : canvas_(TurtleCanvas::Create(MainCanvasBytes(), nullptr, QRect(0, 0, 200, 100))) {}

  CanvasCore& Core() { return canvas_->Core(); }

  std::unique_ptr<TurtleCanvas> canvas_;
};

TEST_F(TurtleCanvasTest, MainCanvasIsGreyWithGreenLinesWrapAndAnimation) {
  ASSERT_TRUE(canvas_);
  EXPECT_EQ(VisibleAt(Core(), 0, 0), qRgb(96, 96, 96));
  Core().Turtle().Forward(20);
  EXPECT_EQ(VisibleAt(Core(), 100, 45), qRgb(0, 255, 0));
  EXPECT_EQ(VisibleAt(Core(), 101, 45), qRgb(96, 96, 96));
  EXPECT_EQ(Core().Lock()->GetEdgeMode(), EdgeMode::Wrap);
  EXPECT_EQ(Number(canvas_->GetProperty(TurtleCanvas::kEdgeMode)), 1);
  EXPECT_EQ(Number(canvas_->GetProperty(TurtleCanvas::kFrameInterval)), 500);
  EXPECT_TRUE(canvas_->IsAnimating());
  EXPECT_TRUE(QTest::qWaitFor([&] { return Core().Lock()->Frame(0) != 0; }, 5000));
}

TEST_F(TurtleCanvasTest, CloseStopsTheAnimation) {
  canvas_->show();
  canvas_->close();
  EXPECT_FALSE(canvas_->IsAnimating());
}

TEST_F(TurtleCanvasTest, SaveAfterCreateGivesBackTheSameBytes) {
  EXPECT_EQ(canvas_->SaveProperties(), MainCanvasBytes());
}

TEST_F(TurtleCanvasTest, IntervalZeroStopsTheAnimationAtFrameZero) {
  Core().Lock()->AdvanceFrames();
  ASSERT_EQ(Core().Lock()->Frame(0), 1);
  EXPECT_FALSE(canvas_->IsApplicable(TurtleCanvas::kFrame));
  canvas_->SetProperty(TurtleCanvas::kFrame, 3);
  EXPECT_EQ(Core().Lock()->Frame(0), 1);
  canvas_->SetProperty(TurtleCanvas::kFrameInterval, 0);
  EXPECT_FALSE(canvas_->IsAnimating());
  EXPECT_EQ(Core().Lock()->Frame(0), 0);
  canvas_->SetProperty(TurtleCanvas::kFrame, 3);
  EXPECT_EQ(Number(canvas_->GetProperty(TurtleCanvas::kFrame)), 3);
}

TEST_F(TurtleCanvasTest, SetterRulesReplaceOutOfRangeValues) {
  struct Case {
    int property;
    int32_t value, reads;
  } cases[] = {
      {TurtleCanvas::kCurrentTurtle, 25, 0},
      {TurtleCanvas::kCurrentTurtle, 19, 19},
      {TurtleCanvas::kEdgeMode, 2, 2},
      {TurtleCanvas::kEdgeMode, 7, 0},
      {TurtleCanvas::kPenWidth, 0, 1},
      {TurtleCanvas::kPenWidth, 65535, 1},
      {TurtleCanvas::kPenWidth, 65534, 65534},
      {TurtleCanvas::kImageSet, 11, 1},
      {TurtleCanvas::kImageSet, 10, 10},
      {TurtleCanvas::kFrameInterval, -1, 0},
      {TurtleCanvas::kFrameInterval, 86400001, 0},
      {TurtleCanvas::kFrameInterval, 86400000, 86400000},
      {TurtleCanvas::kPenColour, 0x123456, 0x123456},
      {TurtleCanvas::kPictureMode, 2, 0},  // no picture: not taken
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.property << " = " << c.value);
    canvas_->SetProperty(c.property, c.value);
    EXPECT_EQ(Number(canvas_->GetProperty(c.property)), c.reads);
  }
  EXPECT_EQ(Core().Lock()->GetEdgeMode(), EdgeMode::Fence);
  EXPECT_EQ(Number(canvas_->GetProperty(TurtleCanvas::kFillColour)), 0x123456);
  canvas_->SetProperty(TurtleCanvas::kPenWidth, QByteArray("wrong kind"));
  EXPECT_EQ(Number(canvas_->GetProperty(TurtleCanvas::kPenWidth)), 65534);
}

TEST_F(TurtleCanvasTest, SwitchingToWrapClearsTheCanvas) {
  canvas_->SetProperty(TurtleCanvas::kEdgeMode, 0);
  Core().Turtle().Forward(20);
  canvas_->SetProperty(TurtleCanvas::kEdgeMode, 1);
  EXPECT_EQ(Core().Lock()->StateOf().y, 0);
  EXPECT_EQ(VisibleAt(Core(), 100, 45), qRgb(96, 96, 96));
}

TEST_F(TurtleCanvasTest, OwnImageListOnlyForImageSetZero) {
  QImage strip(30, 10, QImage::Format_RGB32);
  strip.fill(Qt::red);
  const QByteArray own = EncodeOwnImages(strip, 0);  // square frames: 3
  EXPECT_FALSE(canvas_->IsApplicable(TurtleCanvas::kOwnImages));
  canvas_->SetProperty(TurtleCanvas::kOwnImages, own);
  EXPECT_TRUE(std::get<QByteArray>(canvas_->GetProperty(TurtleCanvas::kOwnImages)).isEmpty());
  canvas_->SetProperty(TurtleCanvas::kImageSet, 0);
  EXPECT_EQ(Core().Lock()->FrameCount(0), 0);
  canvas_->SetProperty(TurtleCanvas::kOwnImages, own);
  EXPECT_EQ(Core().Lock()->FrameCount(0), 3);
  canvas_->SetProperty(TurtleCanvas::kOwnImages, EncodeOwnImages(strip, 15));
  EXPECT_EQ(Core().Lock()->FrameCount(0), 2);
  QImage wide(1025, 4, QImage::Format_RGB32);  // a frame per column: too many
  wide.fill(Qt::red);
  QImage huge(4096, 1025, QImage::Format_RGB32);  // too many pixels for sprites
  huge.fill(Qt::red);
  const QByteArray bad[] = {"MITL", "MITL\0\0\0\0garbage", "XXXX\0\0\0\0" + PngOf(strip),
                            EncodeOwnImages(wide, 1), EncodeOwnImages(huge, 0)};
  for (const QByteArray& bytes : bad) {
    canvas_->SetProperty(TurtleCanvas::kOwnImages, bytes);
    EXPECT_EQ(Core().Lock()->FrameCount(0), 0);
  }
  // Stored and read back with the slot.
  canvas_->SetProperty(TurtleCanvas::kOwnImages, own);
  std::unique_ptr<TurtleCanvas> copy(
      TurtleCanvas::Create(canvas_->SaveProperties(), nullptr, QRect(0, 0, 50, 50)));
  EXPECT_EQ(copy->Core().Lock()->FrameCount(0), 3);
}

TEST_F(TurtleCanvasTest, BackgroundPictureDecodesOrStaysEmpty) {
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  canvas_->SetProperty(TurtleCanvas::kBackgroundPicture, PngOf(picture));
  EXPECT_TRUE(canvas_->IsApplicable(TurtleCanvas::kPictureMode));
  EXPECT_EQ(VisibleAt(Core(), 0, 0), qRgb(0, 0, 255));
  canvas_->SetProperty(TurtleCanvas::kPictureMode, 3);
  EXPECT_EQ(VisibleAt(Core(), 100, 50), qRgb(0, 0, 255));
  EXPECT_EQ(VisibleAt(Core(), 0, 0), qRgb(96, 96, 96));
  canvas_->SetProperty(TurtleCanvas::kBackgroundPicture, QByteArray("not a picture"));
  EXPECT_FALSE(canvas_->IsApplicable(TurtleCanvas::kPictureMode));
  EXPECT_EQ(VisibleAt(Core(), 100, 50), qRgb(96, 96, 96));
}

TEST(TurtleCanvasCreate, UnreadableBytesOrLayersThatCannotBeHadMakeNoCanvas) {
  EXPECT_EQ(TurtleCanvas::Create(QByteArray("\x09\0\0\0", 4), nullptr, QRect()), nullptr);
  EXPECT_EQ(TurtleCanvas::Create({}, nullptr, QRect(0, 0, 1 << 16, 1 << 12)), nullptr);
  std::unique_ptr<TurtleCanvas> plain(TurtleCanvas::Create({}, nullptr, QRect(0, 0, 40, 30)));
  ASSERT_TRUE(plain);
  EXPECT_EQ(VisibleAt(plain->Core(), 0, 0), qRgb(255, 255, 255));
  EXPECT_FALSE(plain->IsAnimating());
}

TEST_F(TurtleCanvasTest, ResizeClearsAndCentresTurtleZero) {
  canvas_->show();
  Core().Turtle().Forward(20);
  canvas_->resize(300, 160);
  EXPECT_EQ(Core().Lock()->Width(), 300);
  EXPECT_EQ(Core().Lock()->Height(), 160);
  EXPECT_EQ(Core().Lock()->StateOf().y, 0);
  EXPECT_EQ(VisibleAt(Core(), 150, 75), qRgb(96, 96, 96));
}

TEST_F(TurtleCanvasTest, AResizeWithoutMemoryKeepsTheCanvasAndSaysSo) {
  canvas_->SetProperty(TurtleCanvas::kFrameInterval, 0);
  canvas_->show();
  Core().Turtle().Forward(20);
  QSignalSpy said(canvas_.get(), &TurtleCanvas::MessageRaised);
  const size_t previous = SetPixelMemoryLimit(200 * 100 * 4);
  canvas_->resize(300, 160);
  SetPixelMemoryLimit(previous);
  EXPECT_EQ(Core().Lock()->Width(), 200);
  EXPECT_EQ(Core().Lock()->Height(), 100);
  EXPECT_EQ(Core().Lock()->StateOf().y, 20);
  ASSERT_EQ(said.count(), 1);
  EXPECT_EQ(said.at(0).at(0).toString(), "内存不足，画布无法改为 300×160，仍为 200×100\r\n");
  // The kept canvas is what the widget shows.
  const QImage grabbed = canvas_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(grabbed.pixel(100, 45), qRgb(0, 255, 0));
}

TEST_F(TurtleCanvasTest, GrabbedFrameShowsTheSpriteAtTheTurtle) {
  canvas_->SetProperty(TurtleCanvas::kFrameInterval, 0);
  Core().Turtle().SetXY(-50, 20);
  const QImage grabbed = canvas_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage frame = ImageOf(BuiltInSprites(1)[0].View());
  int matching = 0, opaque = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      if (frame.pixel(x, y) == 0xFFFFFFFF) continue;
      ++opaque;
      matching += grabbed.pixel(50 - 10 + x, 30 - 12 + y) == frame.pixel(x, y);
    }
  }
  EXPECT_GT(opaque, 100);
  EXPECT_EQ(matching, opaque);
}

TEST_F(TurtleCanvasTest, MousePressTakesFocusAndFocusRaisesEvents) {
  QWidget window;
  QLineEdit other(&window);
  canvas_->setParent(&window);
  canvas_->move(0, 30);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other.setFocus();
  QSignalSpy events(canvas_.get(), &TurtleCanvas::EventRaised);
  QTest::mouseClick(canvas_.get(), Qt::LeftButton);
  ASSERT_EQ(events.count(), 1);
  EXPECT_EQ(events.at(0).at(0).toInt(), TurtleCanvas::kFocusGainedEvent);
  other.setFocus();
  ASSERT_EQ(events.count(), 2);
  EXPECT_EQ(events.at(1).at(0).toInt(), TurtleCanvas::kFocusLostEvent);
  canvas_->setParent(nullptr);
}

// Whether `frame` shows the opaque pixels of `sprite` with its top-left at `at`.
bool ShowsSprite(const QImage& frame, const QImage& sprite, QPoint at) {
  for (int y = 0; y < sprite.height(); ++y)
    for (int x = 0; x < sprite.width(); ++x)
      if (sprite.pixel(x, y) != 0xFFFFFFFF &&
          frame.pixel(at.x() + x, at.y() + y) != sprite.pixel(x, y))
        return false;
  return true;
}

TEST(TurtleCanvasPreview, PaintsOnlySlotTwentyAtTheCentre) {
  std::unique_ptr<TurtleCanvas> preview(
      TurtleCanvas::Create(MainCanvasBytes(), nullptr, QRect(0, 0, 200, 100), true));
  preview->Core().Turtle().SetXY(-60, 0);
  const QImage turtle = ImageOf(BuiltInSprites(1)[0].View());
  QImage painted = FrameImage(*preview->Core().Lock());
  EXPECT_TRUE(ShowsSprite(painted, turtle, {100 - 10, 50 - 12}));
  EXPECT_FALSE(ShowsSprite(painted, turtle, {40 - 10, 50 - 12}));
  preview->SetProperty(TurtleCanvas::kImageSet, 6);  // the car, 28 x 40
  painted = FrameImage(*preview->Core().Lock());
  EXPECT_TRUE(ShowsSprite(painted, ImageOf(BuiltInSprites(6)[0].View()), {100 - 14, 50 - 20}));
}

// Counts the queued calls that reach the canvas.
class MetaCallCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MetaCall) ++count;
    return false;
  }
};

TEST_F(TurtleCanvasTest, ManyMovesOnARunThreadQueueOneUpdate) {
  QCoreApplication::processEvents();
  MetaCallCounter counter;
  canvas_->installEventFilter(&counter);
  std::thread run([&] {
    for (int i = 0; i < 100000; ++i) Core().Turtle().Forward(1);
  });
  run.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(counter.count, 1);
  canvas_->removeEventFilter(&counter);
}

}  // namespace
}  // namespace dravel
