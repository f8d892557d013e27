// dravel-render-web: dravel-render's single-script contract (the hint text,
// the exit status, --state, the PNG) on the web edition's WebAssembly build,
// run by node. Folder mode, --check and SVG stay with the desktop program.
#include <emscripten.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <stop_token>

#include "apps/dravel-render/render_host.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_text.h"
#include "interpreter/messages.h"
#include "interpreter/run_script.h"
#include "runtime/beep_delay.h"
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

int Refuse(const std::string& message) {
  std::cerr << "dravel-render-web: " << message << "\n";
  return 2;
}

std::optional<std::string> Unavailable(const RenderOptions& options) {
  if (options.check) return "--check is the desktop dravel-render's";
  std::error_code error;
  if (options.contact_sheet || !options.references.empty() ||
      std::filesystem::is_directory(options.script_path, error)) {
    return "folder runs are the desktop dravel-render's";
  }
  if (options.output_path && *options.output_path != "-") {
    if (auto refused = RefusedExtension(*options.output_path, {".png"})) return refused;
  }
  return std::nullopt;
}

bool WriteOutput(const std::string& path, const std::string& png) {
  if (path == "-") {
    std::cout.write(png.data(), std::streamsize(png.size()));
    std::cout.flush();
    return bool(std::cout);
  }
  return TryWriteFileBytes(path,
                           std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()))
      .Ok();
}

int Render(const RenderOptions& options) {
  const std::optional<std::string> bytes =
      ReadScriptBytes(options.script_path, "dravel-render-web");
  if (!bytes) return 2;
  const Text script = ScriptOf(*bytes, options.encoding);
  const std::unique_ptr<Canvas> canvas =
      WebCanvas(options.width, options.height, options.edge_mode);
  if (!canvas) return Refuse(CanvasRefusal(options));
  RenderHost host(script, Utf8ToGbk(options.run_count));

  // One thread: the timeout is asked for wherever the run asks for its stop.
  // A zero timeout is pressed before the run starts, as the desktop's is.
  const std::optional<std::chrono::milliseconds> timeout = TimeoutOf(options);
  std::optional<Clock::time_point> deadline;
  if (timeout) deadline = Clock::now() + *timeout;
  std::stop_source stop;
  if (timeout && timeout->count() <= 0) stop.request_stop();
  stop.set_poll([&] { return deadline && Clock::now() >= *deadline; });
  canvas->SetCheckpoint([&] { return !stop.stop_requested(); });
  SetDelayHook([&](int ms, std::stop_token) {
    auto wait = std::chrono::milliseconds(ms);
    if (deadline)
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                std::max(*deadline - Clock::now(), Clock::duration{})));
    if (wait.count() > 0) NodeSleep(int(wait.count()));
  });

  RunContext context{canvas->Turtle(), host, stop.get_token()};
  context.keep_delays = options.keep_delays.value_or(true);
  RunScript({script, host.RunCountText()}, context);
  if (stop.stop_requested()) host.AppendHint({}, Text(messages::kRunStopped));

  const Text hint = host.Hint();
  const bool picture_out = options.output_path == "-";
  std::ostream& text = picture_out ? std::cerr : std::cout;
  text << HintForOutput(hint, options.gbk_output);
  if (options.print_state) text << StateLine(canvas->StateOf(0));
  text.flush();
  if (options.output_path) {
    const std::string png = CanvasPng(*canvas, options.paint_turtles);
    if (png.empty()) return Refuse(PictureRefusal(*options.output_path));
    if (!WriteOutput(*options.output_path, png)) {
      return Refuse("cannot write " + *options.output_path);
    }
  }
  return hint.ends_with(messages::kRunDone) ? 0 : 1;
}

int Main(int argc, char** argv) {
  const ParsedCommandLine parsed = ParseRenderOptions(argc, argv);
  if (std::holds_alternative<HelpRequest>(parsed)) {
    std::cout << "dravel-render-web: the web edition's dravel-render, for single scripts.\n"
              << kRenderUsage;
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
  return Render(options);
}

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) { return dravel::Main(argc, argv); }
