#include "mainwindow/script_pictures.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/dense_layer.h"
#include "canvas/picture_crop.h"
#include "canvas/qt_pixels.h"
#include "canvas/window_look.h"
#include "interpreter/run_driver.h"
#include "interpreter/silent_host.h"

namespace dravel {
namespace {

// The canvas after `gbk_script` has run on it (kept as a record too when
// `record`); null when no canvas could be had.
std::unique_ptr<CanvasCore> RunPicture(const Text& gbk_script, bool record) {
  std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(kCanvasWidth, kCanvasHeight);
  if (!canvas) return nullptr;
  SetWindowLook(*canvas->Lock(), EdgeMode::Wrap);
  canvas->Lock()->SetTextPainter(BundledTextPainter());
  canvas->Lock()->KeepRecord(record);
  SilentHost host(gbk_script);
  RunSession session;
  const std::unique_ptr<TurtleOperations> turtle = canvas->TurtleFor(session);
  std::jthread stopper([&](std::stop_token done) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, done, kLongestPictureRun, [] { return false; });
    if (!done.stop_requested()) canvas->UnderDrawingLock([&] { session.Stop(); });
  });
  RunContext context{*turtle, host, session.Token()};
  context.keep_delays = false;
  RunScript({gbk_script, "1"}, context);
  stopper.request_stop();
  return canvas;
}

QRect QRectOf(PixelBox box) { return {box.left, box.top, box.width, box.height}; }

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
  const PixelBox box = PictureCrop(DrawnBox(*locked, with_turtle), kCanvasWidth, kCanvasHeight);
  const QRect crop = QRectOf(box);
  const double ratio = CropRatio(box, largest.width(), largest.height());
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
