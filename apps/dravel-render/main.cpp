// dravel-render: runs a script as the run button would, on a canvas set up
// like the main window's, with no window; prints what the hint box would show
// and optionally writes the canvas as PNG or SVG; given a folder, does so for
// every script in it. See --help.
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "apps/dravel-render/render_check.h"
#include "apps/dravel-render/render_folder.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_run.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "interpreter/command_list.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "runtime/value.h"

namespace dravel {
namespace {

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
  if (!result.Ok()) {
    std::cerr << "dravel-render: cannot read " << path << ": " << FileErrorText(result.error)
              << "\n";
    return std::nullopt;
  }
  return std::string(result.bytes.begin(), result.bytes.end());
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

int Render(const RenderOptions& options) {
  const std::optional<std::string> bytes = ReadScriptBytes(options.script_path);
  if (!bytes) return 2;
  const Text script = ScriptOf(*bytes, options.encoding);

  CanvasCore canvas(options.width, options.height);
  SetUpCanvas(canvas, options.edge_mode);
  const RunOutcome outcome = RunOnCanvas(options, script, canvas, TimeoutOf(options));

  std::cout << HintForOutput(outcome.hint, options.gbk_output);
  if (options.print_state) std::cout << StateLine(canvas.StateOf(0));
  std::cout.flush();
  // The run's hint is out before a picture that cannot be written is told.
  if (options.output_path) {
    const QByteArray bytes =
        PictureBytes(canvas, FormatOfPath(*options.output_path), options.paint_turtles);
    if (!WritePictureFile(*options.output_path, bytes).Ok()) {
      std::cerr << "dravel-render: cannot write " << *options.output_path << "\n";
      return 2;
    }
  }
  return outcome.exit_status;
}

bool IsFolder(const std::string& path) {
  return path != "-" && QFileInfo(QFile::decodeName(path.c_str())).isDir();
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
  const auto& options = std::get<dravel::RenderOptions>(parsed);
  // Text is drawn with the platform's fonts, which need a GUI application.
  QGuiApplication application(argc, argv);
  if (options.check) return dravel::CheckScripts(options);
  if (dravel::IsFolder(options.script_path)) return dravel::RenderFolder(options);
  if (options.contact_sheet) return dravel::UsageFailure("--contact-sheet needs a FOLDER");
  return dravel::Render(options);
}
