// The page's WebAssembly module, run in a Web Worker (web/page/worker.js): one
// canvas and runs of the editor's script on it (page_codec.cpp holds the codec
// for files, page_tools.cpp the page's other questions). What a run shows goes
// to the page as it happens, in UTF-8 made by the one codec, through the
// functions worker.js gives the module (Module.onHint and the rest). A run is stopped by ending
// the whole worker, so nothing here needs a stop of its own; 延时 sleeps by
// handing the thread back to the browser (Asyncify), and a run that never
// sleeps hands it back for a moment after each frame, at its next command, so
// the page's speed reaches it. Every such wait is taken by the interpreter's
// host or its pacer's waiter, never inside the canvas (web/CMakeLists.txt).
#include <emscripten.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "canvas/start_afresh.h"
#include "interpreter/run_pacer.h"
#include "interpreter/run_script.h"
#include "runtime/bounded_hint.h"
#include "runtime/gbk_codec.h"
#include "web/src/page_text.h"
#include "web/src/page_tools.h"
#include "web/src/web_canvas.h"

namespace dravel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFrameInterval = std::chrono::milliseconds(33);
constexpr auto kHoldLook = std::chrono::milliseconds(10);
constexpr ByteRange kNoItem{-1, -1};

// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(void, PostHint, (int replace, const char* head, int head_size, const char* tail,
                       int tail_size, double dropped, const char* marker, int marker_size,
                       double left_out, int head_full), {
  Module.onHint(replace != 0, HEAPU8.slice(head, head + head_size),
                HEAPU8.slice(tail, tail + tail_size), dropped,
                HEAPU8.slice(marker, marker + marker_size), left_out, head_full != 0);
});
EM_JS(void, PostRunCount, (const char* utf8, int size), {
  Module.onRunCount(HEAPU8.slice(utf8, utf8 + size));
});
EM_JS(void, PostFailing, (int line, int item, int from, int to), {
  Module.onFailing(line, item, from, to);
});
EM_JS(void, PostBeep, (), { Module.onBeep(); });
EM_JS(void, PostExecuting, (int line, int item, int from, int to), {
  Module.onExecuting(line, item, from, to);
});
EM_JS(void, PostPng, (const char* png, int size), { Module.onPng(HEAPU8.slice(png, png + size)); });
// Views into the module's memory, which onFrame copies before it returns.
EM_JS(void, PostFrame, (const uint32_t* rgba, int width, int height, const char* snapshot,
                        int snapshot_size, double x, double y, double heading, int pen_down), {
  Module.onFrame(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height,
                 HEAPU8.subarray(snapshot, snapshot + snapshot_size),
                 { x, y, heading, penDown: pen_down != 0 });
});
// A message round trip: the worker takes what the page sent meanwhile. A
// timer would do too, but browsers hold a nested timer of 0 for 4 ms.
EM_ASYNC_JS(void, YieldToPage, (), {
  await new Promise((resume) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => resume();
    channel.port2.postMessage(null);
  });
});
// clang-format on

// The run's hint, kept bounded here (the page's bounds are smaller than the
// desktop's MiB: a browser lays a text box out whole, and a MiB of text there
// takes seconds, a stop's message included). What changed goes to the page
// with the next frame, before any other effect, and whenever it reaches
// kHintBatchBytes: a run that talks a lot would otherwise flood the page with
// one message per line.
constexpr size_t kPageHintBytes = 64 * 1024;
constexpr size_t kHintBatchBytes = 64 * 1024;

class PageHint {
 public:
  void Replace(const Text& text) {
    hint_.Replace({});
    replace_ = true;
    head_.clear();
    tail_.clear();
    dropped_ = 0;
    Append(text);
    Flush();
  }

  void Append(const Text& text) {
    const BoundedHint::Change change = hint_.Append(text);
    head_.append(text, 0, change.to_head);
    tail_.append(text, change.to_head);
    dropped_ += change.dropped_lines;
    if (head_.size() + tail_.size() >= kHintBatchBytes) Flush();
  }

  // The page appends the tail's text, then drops the lines from its front.
  // The texts go as the window's hint box shows them (UTF-8, undecodable
  // bytes replaced).
  void Flush() {
    if (!replace_ && head_.empty() && tail_.empty() && dropped_ == 0) return;
    const std::string marker = hint_.LeftOutLines() > 0
                                   ? GbkToUtf8(BoundedHint::MarkerLine(hint_.LeftOutLines()))
                                   : std::string();
    const std::string head = GbkToUtf8(head_);
    const std::string tail = GbkToUtf8(tail_);
    PostHint(replace_, head.data(), int(head.size()), tail.data(), int(tail.size()),
             double(dropped_), marker.data(), int(marker.size()), double(hint_.LeftOutLines()),
             hint_.HeadFull());
    replace_ = false;
    head_.clear();
    tail_.clear();
    dropped_ = 0;
  }

 private:
  BoundedHint hint_{kPageHintBytes, kPageHintBytes};
  bool replace_ = false;
  Text head_;
  Text tail_;
  uint64_t dropped_ = 0;
};

PageHint page_hint;

void FlushHint() { page_hint.Flush(); }

// Hands the page the canvas as it is now (below).
void SendFrame();

// The page's side of a run: every effect goes to the page in order, the hint's
// changes in batches. Nothing is dropped here: once the page stops a run, it
// ends this worker.
class PageHost final : public RunHost {
 public:
  PageHost(Text script, Text run_count)
      : script_(std::move(script)), run_count_(std::move(run_count)) {}

  Text EditorText() override { return script_; }
  Text RunCountText() override { return run_count_; }
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token&, const Text& text) override { page_hint.Replace(text); }
  void AppendHint(const std::stop_token&, const Text& text) override { page_hint.Append(text); }
  // As the window's box shows it: undecodable bytes kept.
  void SetRunCountText(const std::stop_token&, const Text& text) override {
    FlushHint();
    const std::string shown = GbkToUtf8(text, UndecodableBytes::kKeep);
    PostRunCount(shown.data(), int(shown.size()));
  }
  void EnableRunButton(const std::stop_token&) override {}
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {
    FlushHint();
    PostBeep();
  }
  void PrepareText(const std::stop_token&) override { FetchPageTextFont(); }
  // The page sees the picture so far while the run waits.
  void Delay(const std::stop_token&, int ms) override {
    SendFrame();
    if (ms > 0) emscripten_sleep(unsigned(ms));
  }
  void ReportFailingLine(const std::stop_token&, int script_line) override {
    FlushHint();
    PostFailing(script_line, 0, -1, -1);
  }
  void ReportFailingItem(const std::stop_token&, int script_line, int body_item) override {
    FlushHint();
    const ByteRange item = BodyItemColumns(script_, script_line, body_item).value_or(kNoItem);
    PostFailing(script_line, body_item, item.begin, item.end);
  }
  void ReportExecutingLine(const std::stop_token&, int script_line, int body_item) override {
    FlushHint();
    const ByteRange item = BodyItemColumns(script_, script_line, body_item).value_or(kNoItem);
    PostExecuting(script_line, body_item, item.begin, item.end);
  }

 private:
  Text script_;
  Text run_count_;
};

// The page's speed: each command waits its interval, the page seeing the
// drawing so far, while the worker is handed back to the browser.
class SleepingWaiter final : public PacingWaiter {
 public:
  void Wait(std::chrono::milliseconds interval, const std::stop_token&) override;
  // After a frame: the page's messages meanwhile.
  void HandOver(const std::stop_token&) override { YieldToPage(); }
  // Paused: the worker reads the page's messages until a step or a continue.
  void Hold(std::condition_variable&, std::unique_lock<std::mutex>&, const std::stop_token&,
            const std::function<bool()>& released) override;
};

std::unique_ptr<Canvas> canvas;
SleepingWaiter sleeping_waiter;
RunPacer pacer(&sleeping_waiter);
Clock::time_point last_frame;

bool running = false;  // the worker may be handed back only inside a run

// The frame as the page's canvas takes it, painted afresh into the same
// memory each time: a run shows about thirty a second.
std::vector<uint32_t> frame_rgba;

// The layers' 0xFFRRGGBB words as R G B A bytes (little-endian words
// 0xAABBGGRR), opaque.
void SwapToRgba(std::vector<uint32_t>& pixels) {
  for (uint32_t& pixel : pixels)
    pixel = 0xFF000000u | (pixel & 0x0000FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
}

// Gives whether frame_rgba holds the canvas now.
bool PaintFrame() {
  if (frame_rgba.empty()) {
    frame_rgba = canvas->Paint();
  } else {
    canvas->PaintInto({frame_rgba.data(), canvas->Width(), canvas->Width(), canvas->Height()});
  }
  if (frame_rgba.empty()) return false;
  SwapToRgba(frame_rgba);
  return true;
}

void SendFrame() {
  FlushHint();
  const std::string snapshot = PaintFrame() ? canvas->Snapshot() : std::string();
  // Without the memory for a frame the page keeps its last one, and the
  // snapshot that goes with it.
  if (snapshot.empty()) return;
  // The current turtle goes with its frame: the page's status line shows
  // what the drawing shows, never a model of its own.
  const TurtleState turtle = canvas->StateOf(canvas->CurrentTurtle());
  PostFrame(frame_rgba.data(), canvas->Width(), canvas->Height(), snapshot.data(),
            int(snapshot.size()), turtle.x, turtle.y, turtle.heading, turtle.pen != -1);
  last_frame = Clock::now();
}

void SleepingWaiter::Wait(std::chrono::milliseconds interval, const std::stop_token&) {
  SendFrame();
  emscripten_sleep(unsigned(interval.count()));
}

void SleepingWaiter::Hold(std::condition_variable&, std::unique_lock<std::mutex>& lock,
                          const std::stop_token&, const std::function<bool()>& released) {
  SendFrame();
  while (!released()) {
    lock.unlock();
    emscripten_sleep(unsigned(kHoldLook.count()));
    lock.lock();
  }
}

}  // namespace
}  // namespace dravel

using namespace dravel;

extern "C" {

EMSCRIPTEN_KEEPALIVE void dravel_start() {
  canvas = WebCanvas(kCanvasWidth, kCanvasHeight, EdgeMode::Wrap);
  // Without memory for the layers the worker stays without a canvas, and
  // every call below does nothing.
  if (!canvas) return;
  canvas->SetTextPainter(PaintPageText);
  // The run shows itself about thirty times a second, and before each wait;
  // a run that never waits (the fastest speed) takes its messages after each
  // frame, before its next command.
  canvas->SetCheckpoint([] {
    static unsigned calls = 0;
    if (++calls % 64 != 0 || Clock::now() - last_frame < kFrameInterval) return true;
    SendFrame();
    if (running) pacer.RequestHandOver();
    return true;
  });
  SendFrame();
}

EMSCRIPTEN_KEEPALIVE void dravel_run(const char* script, int script_size, const char* count,
                                     int count_size) {
  if (!canvas) return;
  PageHost host(Text(script, size_t(script_size)), Text(count, size_t(count_size)));
  RunContext context{canvas->Turtle(), host, {}};
  context.pacer = &pacer;
  running = true;
  RetryTextFont();
  RunScript({host.EditorText(), host.RunCountText()}, context);
  running = false;
  SendFrame();
}

// The page's 属性设置: edge mode as stored (0 fence, 1 wrap, 2 unbounded),
// colours as 0x00BBGGRR, the pen's width; the drawing is kept.
EMSCRIPTEN_KEEPALIVE void dravel_settings(int edge_mode, int pen_colour, int background_colour,
                                          int pen_width) {
  if (!canvas) return;
  canvas->SetEdgeMode(EdgeModeOf(edge_mode));
  canvas->SetPenColour(uint32_t(pen_colour));
  canvas->SetBackgroundColour(uint32_t(background_colour));
  canvas->SetPenWidth(pen_width);
  SendFrame();
}

// The page's 海龟图像 for the current turtle (image set 1 to 10), as the
// window's settings page sets it; the same set again keeps its frame, and
// without animation the turtle shows frame 0, as the window's does.
EMSCRIPTEN_KEEPALIVE void dravel_turtle_image(int image_set, int animated) {
  if (!canvas) return;
  const int current = canvas->CurrentTurtle();
  if (canvas->ImageSet(current) != image_set) canvas->SetImageSet(current, image_set);
  if (animated == 0) canvas->SetFrame(current, 0);
  SendFrame();
}

// The animation's tick, the window's frame timer: every visible turtle steps
// to its next frame, shown. It may be called while a run waits.
EMSCRIPTEN_KEEPALIVE void dravel_next_frame() {
  if (!canvas) return;
  const int current = canvas->CurrentTurtle();
  const int before = canvas->Frame(current);
  canvas->AdvanceFrames();
  if (canvas->Frame(current) != before) SendFrame();
}

// The page's background picture, decoded by the browser: `width` x `height`
// pixels (0xFFRRGGBB), laid out in `mode` (PictureMode); no pixels remove it.
// Gives whether the canvas has it: not when there was no memory for it.
EMSCRIPTEN_KEEPALIVE int dravel_background_picture(const uint32_t* pixels, int width, int height,
                                                   int mode) {
  if (!canvas) return 0;
  PixelImage picture;
  if (pixels != nullptr && width > 0 && height > 0)
    picture = PixelImage::Of({pixels, width, width, height});
  canvas->SetBackgroundPicture(std::move(picture));
  // As on the desktop, the mode is taken only while there is a picture.
  if (canvas->HasBackgroundPicture()) canvas->SetPictureMode(mode);
  SendFrame();
  return canvas->HasBackgroundPicture();
}

// The page's speed, in milliseconds per command (0: the fastest). It may be
// called while a run sleeps or shows a frame, and applies from its next
// command.
EMSCRIPTEN_KEEPALIVE void dravel_set_interval(int interval_ms) {
  pacer.SetInterval(std::chrono::milliseconds(interval_ms));
}

// Pause, continue and one step, as the desktop's F8 and F10; they may be
// called while a run waits, and apply at its next command.
EMSCRIPTEN_KEEPALIVE void dravel_pause() { pacer.Pause(); }
EMSCRIPTEN_KEEPALIVE void dravel_continue() { pacer.Continue(); }
EMSCRIPTEN_KEEPALIVE void dravel_step() { pacer.Step(); }

// The picture as dravel-render -o writes it: the drawing without the turtles.
// Nothing is posted when there is no canvas or no memory to encode it.
EMSCRIPTEN_KEEPALIVE void dravel_png() {
  if (!canvas) return;
  const std::string png = CanvasPng(*canvas, false);
  if (!png.empty()) PostPng(png.data(), int(png.size()));
}

EMSCRIPTEN_KEEPALIVE void dravel_clear() {
  if (!canvas) return;
  canvas->Turtle().Clear();
  SendFrame();
}

// 重置, and the start of an example: as the window's, the drawing cleared
// and the turtle afresh (StartAfresh).
EMSCRIPTEN_KEEPALIVE void dravel_reset() {
  if (!canvas) return;
  StartAfresh(canvas->Turtle());
  SendFrame();
}

EMSCRIPTEN_KEEPALIVE int dravel_restore(const char* snapshot, int size) {
  if (!canvas) return 0;
  const bool restored = canvas->Restore(std::string_view(snapshot, size_t(size)));
  SendFrame();
  return restored;
}

}  // extern "C"
