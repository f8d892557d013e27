// dravel-render-web: dravel-render's single-script contract (the hint text,
// the exit status, --state, the PNG) on the web edition's WebAssembly build,
// run by node, through dravel-render's own entry (render_entry.h) on a canvas
// of its own. Folder mode, --check and SVG stay with the desktop program.
#include <emscripten.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <stop_token>
#include <utility>

#include "apps/dravel-render/render_entry.h"
#include "apps/dravel-render/render_font.h"
#include "apps/dravel-render/render_host.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_text.h"
#include "interpreter/messages.h"
#include "interpreter/run_script.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "web/src/web_canvas.h"

namespace dravel {
namespace {

using Clock = std::chrono::steady_clock;

// Node lets its main thread block on an atomic wait: a delay that does not
// burn the CPU.
// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(void, NodeSleep, (int ms), {
  Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, ms);
});
// clang-format on

// dravel-render's host whose delays sleep on node's thread, never past the
// run's deadline.
class NodeHost final : public RenderHost {
 public:
  NodeHost(Text script, Text run_count, Clock::time_point deadline)
      : RenderHost(std::move(script), std::move(run_count)), deadline_(deadline) {}
  void Delay(const std::stop_token&, int ms) override {
    const auto wait = std::min(std::chrono::milliseconds(ms),
                               std::chrono::ceil<std::chrono::milliseconds>(
                                   std::max(deadline_ - Clock::now(), Clock::duration{})));
    if (wait.count() > 0) NodeSleep(int(wait.count()));
  }

 private:
  Clock::time_point deadline_;
};

int Refuse(const std::string& message) {
  std::cerr << "dravel-render-web: " << message << "\n";
  return 2;
}

std::optional<std::string> Unavailable(const RenderOptions& options) {
  if (options.check) return "--check is the desktop dravel-render's";
  if (options.mode != kScript || !options.references.empty()) {
    return "folder runs are the desktop dravel-render's";
  }
  return RefusedOutputs(options, false, {".png"});
}

// The node command's own canvas on its one thread: the timeout is asked for
// wherever the run asks for its stop.
class NodeEdition final : public RenderEdition {
 public:
  std::optional<std::string> Prepare(const RenderOptions& options, const Text& script) override {
    std::string refusal;
    const std::optional<TextMaskPainter> text = TextPainterFor(script, refusal);
    if (!text) return refusal;
    canvas_ = WebCanvas(options.width, options.height, options.edge_mode);
    if (!canvas_) return CanvasRefusal(options);
    SetRenderLook(*canvas_, options);
    canvas_->SetTextPainter(*text);
    return std::nullopt;
  }
  Text Run(const RenderOptions& options, const Text& script) override;
  TurtleState State() override { return canvas_->StateOf(0); }
  // References are refused before the run (Unavailable).
  int Score(const RenderOptions&, std::ostream&, bool) override { return 0; }
  std::string Picture(const RenderOptions& options) override {
    return CanvasPng(*canvas_, options.paint_turtles);
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    return TryWriteFileBytes(
               path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        .Ok();
  }

 private:
  std::unique_ptr<Canvas> canvas_;
};

Text NodeEdition::Run(const RenderOptions& options, const Text& script) {
  // A zero timeout is pressed before the run starts, as the desktop's is.
  const std::chrono::milliseconds timeout = TimeoutOf(options);
  const Clock::time_point deadline = Clock::now() + timeout;
  NodeHost host(script, Utf8ToGbk(options.run_count), deadline);
  std::stop_source stop;
  if (timeout.count() <= 0) stop.request_stop();
  stop.set_poll([&] { return Clock::now() >= deadline; });
  canvas_->SetCheckpoint([&] { return !stop.stop_requested(); });
  RunContext context{canvas_->Turtle(), host, stop.get_token()};
  context.keep_delays = options.keep_delays.value_or(true);
  RunScript({script, host.RunCountText()}, context);
  if (stop.stop_requested()) host.AppendHint({}, Text(messages::kRunStopped));
  // It may not outlive the run's stop and deadline.
  canvas_->SetCheckpoint({});
  return host.Hint();
}

int Main(int argc, char** argv) {
  const ParsedCommandLine parsed = ParseRenderOptions(argc, argv);
  if (std::holds_alternative<HelpRequest>(parsed)) {
    std::cout << "dravel-render-web: the web edition's dravel-render, for single scripts.\n"
              << RenderUsage(LocaleLanguage());
    return 0;
  }
  if (std::holds_alternative<VersionRequest>(parsed)) {
    std::cout << kRenderVersion;
    return 0;
  }
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    std::cerr << UsageFailureText("dravel-render-web", error->message);
    return 2;
  }
  const auto& options = std::get<RenderOptions>(parsed);
  if (const auto refused = Unavailable(options)) return Refuse(*refused);
  NodeEdition edition;
  return Render(options, "dravel-render-web", edition);
}

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) { return dravel::Main(argc, argv); }
