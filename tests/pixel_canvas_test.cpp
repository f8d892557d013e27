// The web edition's canvas (plain pixels, no Qt) draws what the desktop's
// canvas draws: every script in tests/data and every workload, run by the
// same interpreter on both, gives the same layers, the same frame with the
// turtles, the same turtle and the same hint. Text is drawn by the browser,
// so scripts that write text are held to the turtle and the hint only.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>

#include "canvas/canvas_core.h"
#include "canvas/pixel_canvas.h"
#include "canvas/window_look.h"
#include "interpreter/run_script.h"
#include "runtime/system_text.h"
#include "support/desktop_pixels.h"
#include "support/host_fakes.h"
#include "support/script_files.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

bool WritesText(const Text& script) {
  return script.find(SystemText("写文字")) != Text::npos || script.find("settext") != Text::npos;
}

TEST(PixelCanvas, DrawsWhatTheDesktopCanvasDraws) {
  const std::vector<fs::path> scripts = testing::SharedScripts();
  ASSERT_GT(scripts.size(), 20u);
  for (const fs::path& path : scripts) {
    SCOPED_TRACE(path.string());
    const Text script = testing::FileText(path);

    PixelCanvas pixels(732, 420, testing::DesktopSprites);
    SetWindowLook(pixels, EdgeMode::Wrap);
    // A script made to run until stopped is stopped after a while, and skipped.
    std::stop_source stop;
    std::jthread timer([&stop](std::stop_token ended) {
      std::mutex mutex;
      std::condition_variable_any wake;
      std::unique_lock lock(mutex);
      if (!wake.wait_for(lock, ended, std::chrono::seconds(3), [] { return false; }))
        stop.request_stop();
    });
    pixels.SetStopped([&] { return stop.stop_requested(); });
    testing::RecordingHost pixel_host(script);
    RunContext pixel_context{pixels.Turtle(), pixel_host, stop.get_token()};
    pixel_context.keep_delays = false;
    RunScript({script, "1"}, pixel_context);
    timer.request_stop();
    timer.join();
    if (stop.stop_requested()) continue;

    CanvasCore desktop(732, 420);
    SetWindowLook(desktop, EdgeMode::Wrap);
    testing::RecordingHost desktop_host(script);
    RunContext desktop_context{desktop.Turtle(), desktop_host, {}};
    desktop_context.keep_delays = false;
    RunScript({script, "1"}, desktop_context);

    EXPECT_EQ(pixel_host.Hint(), desktop_host.Hint());
    const TurtleState a = pixels.StateOf(), b = desktop.StateOf();
    EXPECT_EQ(std::tie(a.x, a.y, a.heading, a.pen, a.visible),
              std::tie(b.x, b.y, b.heading, b.pen, b.visible));
    if (WritesText(script)) continue;
    EXPECT_TRUE(pixels.Surface().VisibleLayer() == testing::PixelsIn(desktop.VisibleLayer()));
    EXPECT_TRUE(pixels.Surface().InkLayer() == testing::PixelsIn(desktop.InkLayer()));
    EXPECT_TRUE(pixels.Paint() == testing::PixelsIn(desktop.Paint()));
  }
}

TEST(PixelCanvas, WidePensAndSnapshotsKeepTheDrawing) {
  PixelCanvas canvas(200, 100, testing::DesktopSprites);
  canvas.SetPenWidth(9);
  canvas.Turtle().Forward(30);
  canvas.Turtle().TurnRight(90);
  canvas.Turtle().Forward(40);
  const std::vector<uint32_t>& ink = canvas.Surface().InkLayer();
  // A round end: the pixel just past the start, on the line, is inked; a
  // corner of the pen's square beyond the end is not.
  EXPECT_EQ(ink[size_t(52) * 200 + 100], PixelOf(0));
  EXPECT_NE(ink[size_t(54) * 200 + 104], PixelOf(0));

  PixelCanvas copy(200, 100, testing::DesktopSprites);
  ASSERT_TRUE(copy.Restore(canvas.Snapshot()));
  EXPECT_TRUE(copy.Surface().VisibleLayer() == canvas.Surface().VisibleLayer());
  EXPECT_EQ(copy.StateOf().heading, 90);
  EXPECT_EQ(copy.StateOf().x, 40);

  PixelCanvas other_size(201, 100, testing::DesktopSprites);
  EXPECT_FALSE(other_size.Restore(canvas.Snapshot()));
  EXPECT_FALSE(copy.Restore("DRVSNAP1 but cut short"));
  EXPECT_EQ(copy.StateOf().x, 40);
}

TEST(PixelCanvas, TextIsDrawnWhereAndAsThePainterSays) {
  PixelCanvas canvas(200, 100, testing::DesktopSprites);
  canvas.SetPenColour(0x0000FF);
  std::vector<TextRequest> asked;
  std::vector<std::string> texts;  // the requests' views end with the call
  canvas.SetTextPainter(
      [&](const TextRequest& text, int width, int height, std::vector<uint8_t>& mask) {
        asked.push_back(text);
        texts.emplace_back(text.gbk_text);
        ASSERT_EQ(mask.size(), size_t(width) * size_t(height));
        mask[size_t(text.y) * size_t(width) + size_t(text.x)] = 1;
      });
  canvas.Turtle().SetXY(10, 20);
  canvas.Turtle().TurnRight(90);
  canvas.Turtle().WriteText(SystemText("你好"));
  ASSERT_EQ(asked.size(), 1u);
  // The anchor in pixels from the top-left, the heading as escapement in
  // tenths of a degree anticlockwise from the x axis.
  EXPECT_EQ(asked[0].x, 110);
  EXPECT_EQ(asked[0].y, 30);
  EXPECT_EQ(asked[0].escapement, 3600);
  EXPECT_EQ(texts[0], SystemText("你好"));
  const size_t at = size_t(30) * 200 + 110;
  EXPECT_EQ(canvas.Surface().VisibleLayer()[at], PixelOf(0x0000FF));
  EXPECT_EQ(canvas.Surface().InkLayer()[at], PixelOf(0x0000FF));
}

}  // namespace
}  // namespace dravel
