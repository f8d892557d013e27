// dravel-render: runs a script as the run button would, on a canvas set up
// like the main window's, with no window; prints what the hint box would show
// and optionally writes the canvas as PNG. See --help.
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "apps/dravel-render/render_host.h"
#include "apps/dravel-render/render_options.h"
#include "canvas/canvas_core.h"
#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "interpreter/run_driver.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "runtime/value.h"

namespace dravel {
namespace {

constexpr uint32_t kPenColour = 0x00FF00;
constexpr uint32_t kBackgroundColour = 0x606060;

// Qt's own notes (such as a missing runtime directory) are noise in batch
// output; only its errors reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

int UsageFailure(const std::string& message) {
  std::cerr << "dravel-render: " << message << "\nTry 'dravel-render --help'.\n";
  return 2;
}

std::optional<std::string> ReadScriptBytes(const std::string& path) {
  if (path == "-") {
    std::cin.tie(nullptr);
    std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (std::cin.bad()) return std::nullopt;
    return bytes;
  }
  const FileReadResult result = TryReadFileBytes(path);
  if (!result.ok()) {
    std::cerr << "dravel-render: cannot read " << path << ": " << FileErrorText(result.error)
              << "\n";
    return std::nullopt;
  }
  return std::string(result.bytes.begin(), result.bytes.end());
}

void SetUpCanvas(CanvasCore& canvas, EdgeMode edge_mode) {
  canvas.Clear();
  canvas.SetEdgeMode(edge_mode);
  canvas.SetPenColour(kPenColour);
  canvas.SetBackgroundColour(kBackgroundColour);
  canvas.SetPenWidth(1);
}

// Runs the script to its end, or presses stop once the timeout has passed.
Text Run(const RenderOptions& options, const Text& script, CanvasCore& canvas) {
  RenderHost host(script, Utf8ToGbk(options.run_count));
  RunDriver driver(host, canvas);
  driver.StartRun();
  std::optional<std::chrono::milliseconds> timeout;
  if (options.timeout_seconds) {
    timeout = std::chrono::milliseconds(static_cast<int64_t>(*options.timeout_seconds * 1000));
  }
  if (!driver.WaitForRun(timeout)) driver.StopRun();
  driver.WaitForRun();
  return host.Hint();
}

std::string HintForOutput(const Text& hint, bool gbk) {
  std::string text = gbk ? hint : GbkToUtf8(hint);
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

std::string StateLine(const TurtleState& turtle) {
  return "turtle " + ToText(turtle.x) + " " + ToText(turtle.y) + " " + ToText(turtle.heading) +
         " " + ToText(turtle.pen) + " " + ToText(turtle.visible) + "\n";
}

int Render(const RenderOptions& options, int argc, char** argv) {
  const std::optional<std::string> bytes = ReadScriptBytes(options.script_path);
  if (!bytes) return 2;
  const Text script =
      ScriptFromFileBytes(options.utf8_script ? Utf8ToGbk(UpToZero(*bytes)) : *bytes);

  // Text is drawn with the platform's fonts, which need a GUI application.
  QGuiApplication application(argc, argv);
  CanvasCore canvas(options.width, options.height);
  SetUpCanvas(canvas, options.edge_mode);
  const Text hint = Run(options, script, canvas);

  if (options.output_path) {
    const QImage image = options.paint_turtles ? canvas.Paint() : canvas.VisibleLayer();
    if (!image.save(QString::fromStdString(*options.output_path), "PNG")) {
      std::cerr << "dravel-render: cannot write " << *options.output_path << "\n";
      return 2;
    }
  }
  std::cout << HintForOutput(hint, options.gbk_output);
  if (options.print_state) std::cout << StateLine(canvas.Turtle(0));
  std::cout.flush();
  return hint.ends_with(messages::kRunDone) ? 0 : 1;
}

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) {
  // Headless by design: no display is needed or used.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(dravel::QtMessages);
  const dravel::ParsedCommandLine parsed = dravel::ParseRenderOptions(argc, argv);
  if (std::holds_alternative<dravel::HelpRequest>(parsed)) {
    std::cout << dravel::kRenderUsage;
    return 0;
  }
  if (const auto* error = std::get_if<dravel::UsageError>(&parsed)) {
    return dravel::UsageFailure(error->message);
  }
  return dravel::Render(std::get<dravel::RenderOptions>(parsed), argc, argv);
}
