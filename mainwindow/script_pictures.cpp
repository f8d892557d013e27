#include "mainwindow/script_pictures.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "canvas/canvas_core.h"
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

}  // namespace

QImage ScriptPicture(const Text& gbk_script, QSize size) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(kCanvasWidth, kCanvasHeight);
  if (!canvas) return {};
  SetWindowLook(*canvas->Lock(), EdgeMode::Wrap);
  canvas->Lock()->SetTextPainter(PaintTextMask);
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
  const QImage frame = FrameImage(*canvas->Lock());
  return frame.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace dravel
