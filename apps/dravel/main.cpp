// The program: the command line, the runtime's start-up, the main window, the
// message loop. Closing the window (after the save prompt allows it) destroys
// it, and its destruction ends the process with exit code 0.
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "mainwindow/dialog_service.h"
#include "mainwindow/main_window.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow/translations.h"
#include "runtime/beep_delay.h"
#include "runtime/runtime_error.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: dravel [FILE.dvg]\n"
    "Opens the drawing window, with the script FILE.dvg in the editor when one is given.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text and exit\n"
    "  -v, --version  show the version and exit\n"
    "  --             take what follows as the file, even when it starts with '-'\n";

struct CommandLine {
  std::optional<int> exit_code;  // set when the command line is answered without a window
  std::string file;              // the script to open, as the file system's bytes
};

CommandLine Answered(int exit_code) {
  CommandLine line;
  line.exit_code = exit_code;
  return line;
}

void Print(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

CommandLine Refuse(const char* what, const char* argument) {
  std::fprintf(stderr, "dravel: %s: %s\n", what, argument);
  Print(stderr, kUsage);
  return Answered(2);
}

// Read from argv itself, before Qt sees it: an answer needs no display, and
// the file keeps its bytes, which Qt would decode lossily when they are no
// UTF-8.
CommandLine ReadCommandLine(int argc, char* argv[]) {
  CommandLine line;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!options_end) {
      if (argument == "-h" || argument == "--help") {
        Print(stdout, kUsage);
        return Answered(0);
      }
      if (argument == "-v" || argument == "--version") {
        Print(stdout, "dravel " DRAVEL_VERSION "\n");
        return Answered(0);
      }
      if (argument == "--") {
        options_end = true;
        continue;
      }
      if (argument.starts_with('-')) return Refuse("unknown option", argv[i]);
    }
    if (!line.file.empty()) return Refuse("more than one file", argv[i]);
    line.file = argument;
  }
  return line;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().native();
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine command_line = ReadCommandLine(argc, argv);
  if (command_line.exit_code) return *command_line.exit_code;
  dravel::InitRuntime();
  dravel::SetEndCallback([] {});
  QApplication app(argc, argv);
  dravel::InstallQtTranslations(app);
  dravel::SetBeepHook([] { QApplication::beep(); });
  dravel::QtDialogService dialogs;
  // While the window is being made there is no run thread.
  dravel::SetRuntimeErrorHook([&dialogs](std::string_view gbk_text) {
    dialogs.ShowMessageBox(dravel::Text(gbk_text), dravel::kMbIconError,
                           dravel::kRuntimeErrorCaption);
  });
  auto* window = new dravel::MainWindow(dialogs);
  // From any thread, the run's included: the window's thread shows the box.
  dravel::SetRuntimeErrorHook(
      [window](std::string_view gbk_text) { window->RuntimeErrors().Show(gbk_text); });
  window->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(window, &QObject::destroyed, [] { dravel::ExitProgram(0); });
  window->show();
  // `dravel FILE.dvg`, as a file manager starts it: open as the open button would.
  if (!command_line.file.empty()) {
    window->Files().OpenNativePath(AbsolutePath(command_line.file));
  }
  return app.exec();
}
