#include "mainwindow/script_pictures.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "canvas/canvas_core.h"
#include "canvas/dense_layer.h"
#include "canvas/pixel_format.h"
#include "canvas/qt_pixels.h"
#include "canvas/text_painter.h"
#include "canvas/window_look.h"
#include "interpreter/run_driver.h"
#include "interpreter/silent_host.h"

namespace dravel {
namespace {

constexpr int kCanvasWidth = 732;
constexpr int kCanvasHeight = 420;
constexpr std::chrono::milliseconds kLongest(2000);
constexpr int kMargin = 10;
constexpr QSize kSmallestCrop(60, 44);
constexpr double kLargestRatio = 3;

// The canvas after `gbk_script` has run on it (kept as a record too when
// `record`); null when no canvas could be had.
std::unique_ptr<CanvasCore> RunPicture(const Text& gbk_script, bool record) {
  std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(kCanvasWidth, kCanvasHeight);
  if (!canvas) return nullptr;
  SetWindowLook(*canvas->Lock(), EdgeMode::Wrap);
  canvas->Lock()->SetTextPainter(PaintTextMask);
  canvas->Lock()->KeepRecord(record);
  SilentHost host(gbk_script);
  RunSession session;
  const std::unique_ptr<TurtleOperations> turtle = canvas->TurtleFor(session);
  std::jthread stopper([&](std::stop_token done) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, done, kLongest, [] { return false; });
    if (!done.stop_requested()) canvas->UnderDrawingLock([&] { session.Stop(); });
  });
  RunContext context{*turtle, host, session.Token()};
  context.keep_delays = false;
  RunScript({gbk_script, "1"}, context);
  stopper.request_stop();
  return canvas;
}

// The ink's pixels, and the turtles' sprites (as squares their turns fit)
// when `with_turtle` or when there is no ink.
QRect DrawnBox(const Canvas& canvas, bool with_turtle) {
  const PixelView ink = canvas.InkLayer();
  const auto drawn = [](uint32_t pixel) { return pixel != PixelOf(kKeyColour); };
  QRect box;
  for (int y = 0; y < ink.height; ++y) {
    const uint32_t* row = ink.pixels + y * ink.stride;
    const auto first = std::find_if(row, row + ink.width, drawn);
    if (first == row + ink.width) continue;
    const auto last =
        std::find_if(std::reverse_iterator(row + ink.width), std::reverse_iterator(first), drawn);
    box |= QRect(QPoint(int(first - row), y), QPoint(int(last.base() - row) - 1, y));
  }
  if (!with_turtle && !box.isEmpty()) return box;
  for (const SpritePose& sprite : canvas.SpritePoses()) {
    if (sprite.frame == nullptr || sprite.frame->Empty()) continue;
    const int side = std::max(sprite.frame->width, sprite.frame->height) * 3 / 2;
    const QPoint centre(kCanvasWidth / 2 + RoundSaturated(sprite.position.x),
                        kCanvasHeight / 2 - RoundSaturated(sprite.position.y));
    box |= QRect(centre - QPoint(side / 2, side / 2), QSize(side, side));
  }
  return box;
}

// `box` with the margin, at least the smallest crop, inside the canvas.
QRect CropOf(QRect box) {
  if (box.isEmpty()) box = QRect(kCanvasWidth / 2, kCanvasHeight / 2, 1, 1);
  box.adjust(-kMargin, -kMargin, kMargin, kMargin);
  const QSize grown = box.size().expandedTo(kSmallestCrop);
  box = QRect(box.center() - QPoint(grown.width() / 2, grown.height() / 2), grown);
  return box & QRect(0, 0, kCanvasWidth, kCanvasHeight);
}

}  // namespace

QImage ScriptPicture(const Text& gbk_script, QSize size) {
  const std::unique_ptr<CanvasCore> canvas = RunPicture(gbk_script, false);
  if (!canvas) return {};
  const QImage frame = FrameImage(*canvas->Lock());
  return frame.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage CroppedScriptPicture(const Text& gbk_script, QSize largest, bool with_turtle) {
  const std::unique_ptr<CanvasCore> canvas = RunPicture(gbk_script, true);
  if (!canvas) return {};
  const auto locked = canvas->Lock();
  const QRect crop = CropOf(DrawnBox(*locked, with_turtle));
  const double ratio = std::min({kLargestRatio, double(largest.width()) / crop.width(),
                                 double(largest.height()) / crop.height()});
  if (ratio <= 1) {
    const QSize size = (QSizeF(crop.size()) * ratio).toSize();
    return FrameImage(*locked).copy(crop).scaled(size, Qt::KeepAspectRatio,
                                                 Qt::SmoothTransformation);
  }
  // Painted from the record at the larger size, so lines and text stay sharp.
  DenseLayer dense;
  QImage frame = dense.Frame(*locked, ratio);
  const QRect dense_crop =
      QRectF(QPointF(crop.topLeft()) * ratio, QSizeF(crop.size()) * ratio).toRect();
  QImage picture = frame.copy(dense_crop);
  picture.setDevicePixelRatio(1);
  return picture;
}

}  // namespace dravel
