// dravel-render: runs a script as the run button would, on a canvas set up
// like the main window's, with no window; prints what the hint box would show
// and optionally writes the canvas as PNG or SVG; given a folder, does so for
// every script in it. See --help.
#include <QFileInfo>
#include <cstdio>
#include <iostream>

#include "apps/dravel-render/batch_child.h"
#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/render_check.h"
#include "apps/dravel-render/render_folder.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/render_run.h"
#include "apps/dravel-render/single_score.h"
#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"

namespace dravel {
namespace {

// Qt's own notes (such as a missing runtime directory) are noise in batch
// output; only its errors reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

int UsageFailure(const std::string& message) {
  std::cerr << UsageFailureText("dravel-render", message);
  return 2;
}

bool WriteStandardOutput(const std::string& bytes) {
  std::cout.write(bytes.data(), std::streamsize(bytes.size()));
  std::cout.flush();
  return bool(std::cout);
}

int Render(const RenderOptions& options) {
  const std::optional<std::string> bytes = ReadScriptBytes(options.script_path);
  if (!bytes) return 2;
  const Text script = ScriptOf(*bytes, options.encoding);
  StartGuiApplicationFor(script);

  // With the picture on standard output, the text goes to standard error.
  const bool picture_out = options.output_path == "-";
  const PictureFormat format =
      picture_out || !options.output_path ? PictureFormat::Png : FormatOfPath(*options.output_path);
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(options.width, options.height);
  if (!canvas) {
    std::cerr << "dravel-render: " << CanvasRefusal(options) << "\n";
    return 2;
  }
  SetUpCanvas(*canvas, options.edge_mode, format == PictureFormat::Svg);
  const RunOutcome outcome =
      RunOnCanvas(options, script, *canvas, TimeoutOf(options), options.keep_delays.value_or(true));

  std::ostream& text = picture_out ? std::cerr : std::cout;
  text << HintForOutput(outcome.hint, options.gbk_output);
  if (options.print_state) text << StateLine(canvas->Lock()->StateOf(0));
  text.flush();
  if (!options.references.empty()) {
    if (const int scored = ScoreSingleRun(options, *canvas, text); scored != 0) return scored;
  }
  // The run's hint is out before a picture that cannot be written is told.
  if (options.output_path) {
    const std::string bytes = PictureBytes(*canvas, format, options.paint_turtles);
    if (bytes.empty()) {
      std::cerr << "dravel-render: " << PictureRefusal(*options.output_path) << "\n";
      return 2;
    }
    if (picture_out ? !WriteStandardOutput(bytes)
                    : !WritePictureFile(*options.output_path, bytes).Ok()) {
      std::cerr << "dravel-render: cannot write " << *options.output_path << "\n";
      return 2;
    }
  }
  return outcome.exit_status;
}

// A picture name with an extension no writer knows is refused before the run.
std::optional<std::string> RefusedOutputs(const RenderOptions& options, bool folder) {
  if (options.output_path && !folder) {
    if (auto refused = RefusedExtension(*options.output_path, {".png", ".svg"})) return refused;
  }
  if (options.contact_sheet) return RefusedExtension(*options.contact_sheet, {".png"});
  return std::nullopt;
}

bool IsFolder(const std::string& path) {
  return path != "-" && QFileInfo(QFile::decodeName(path.c_str())).isDir();
}

}  // namespace
}  // namespace dravel

namespace dravel {
namespace {

int Main(int argc, char** argv) {
  qInstallMessageHandler(QtMessages);
  const ParsedCommandLine parsed = ParseRenderOptions(argc, argv);
  if (std::holds_alternative<HelpRequest>(parsed)) {
    std::cout << kRenderUsage;
    return 0;
  }
  if (std::holds_alternative<VersionRequest>(parsed)) {
    std::cout << kRenderVersion;
    return 0;
  }
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<RenderOptions>(parsed);
  const bool folder = IsFolder(options.script_path);
  if (const auto refused = RefusedOutputs(options, folder)) {
    std::cerr << "dravel-render: " << *refused << "\n";
    return 2;
  }
  if (options.batch_report) return RunBatchChild(options);
  if (options.check) return CheckScripts(options);
  if (folder) return RenderFolder(options);
  if (options.contact_sheet) return UsageFailure("--contact-sheet needs a FOLDER");
  return Render(options);
}

}  // namespace
}  // namespace dravel

int main(int argc, char** argv) {
  // Headless by design: no display is needed or used.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  dravel::KeepCommandLine(argc, argv);
  const int status = dravel::Main(argc, argv);
  dravel::EndGuiApplication();
  return status;
}
