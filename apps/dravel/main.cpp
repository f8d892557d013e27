// The program: the command line, the runtime's start-up, the main window, the
// message loop (both made anew when the display scale changes). Closing the
// window (after the save prompt allows it) destroys it, and its destruction
// ends the process with exit code 0.
#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "mainwindow/dialog_service.h"
#include "mainwindow/display_scale.h"
#include "mainwindow/main_window.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow/translations.h"
#include "mainwindow/window_carry.h"
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

// How a window's application ended: its exit code, or a scale to make it
// anew at because the one asked for does not fit the screen.
struct WindowEnd {
  int code = 0;
  int retry_at = 0;
};

// The scale the application may stay at: `percent` when the whole window
// fits the primary screen there, else the largest that fits.
int FittingScale(int percent) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return percent;
  return dravel::ScaleThatFits(*screen, percent,
                               QSize(dravel::kClientWidth, dravel::kClientHeight));
}

// One window at the display scale `percent`; a change of scale (which Qt
// takes only before the application exists) ends the application and makes
// both anew, the window carrying over everything of the old one (`carry` is
// then set). `remembered` is the scale the user chose, which the window says
// when the screen has no room for it.
WindowEnd RunWindow(int argc, char* argv[], const std::string& file, int percent, int remembered,
                    std::optional<dravel::WindowCarry>& carry) {
  const QByteArray outside_factor = qgetenv("QT_SCALE_FACTOR");
  qputenv("QT_SCALE_FACTOR", dravel::ScaleFactorFor(percent, outside_factor));
  QApplication app(argc, argv);
  // Qt has read it; a program the window starts (a browser) keeps its own.
  if (outside_factor.isNull()) {
    qunsetenv("QT_SCALE_FACTOR");
  } else {
    qputenv("QT_SCALE_FACTOR", outside_factor);
  }
  if (const int fitting = FittingScale(percent); fitting != percent) return {0, fitting};
  dravel::InstallQtTranslations(app);
  dravel::QtDialogService dialogs;
  // While the window is being made there is no run thread.
  dravel::SetRuntimeErrorHook([&dialogs](std::string_view gbk_text) {
    dialogs.ShowMessageBox(dravel::Text(gbk_text), dravel::kMbIconError,
                           dravel::kRuntimeErrorCaption);
  });
  const std::optional<dravel::WindowCarry> carried = std::exchange(carry, std::nullopt);
  auto* window = new dravel::MainWindow(dialogs, carried ? &*carried : nullptr, percent);
  if (percent != remembered) window->NoteDisplayScaleFellBack(remembered);
  // From any thread, the run's included: the window's thread shows the box.
  dravel::SetRuntimeErrorHook(
      [window](std::string_view gbk_text) { window->RuntimeErrors().Show(gbk_text); });
  window->setAttribute(Qt::WA_DeleteOnClose);
  const QMetaObject::Connection ending =
      QObject::connect(window, &QObject::destroyed, [] { dravel::ExitProgram(0); });
  window->SetRestart([&] {
    carry = dravel::CarryFrom(*window);
    QCoreApplication::exit(0);
  });
  window->show();
  // `dravel FILE.dvg`, as a file manager starts it: open as the open button would.
  if (!file.empty()) window->Files().OpenNativePath(AbsolutePath(file));
  const int code = app.exec();
  QObject::disconnect(ending);
  dravel::SetRuntimeErrorHook({});
  delete window;
  return {code, 0};
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine command_line = ReadCommandLine(argc, argv);
  if (command_line.exit_code) return *command_line.exit_code;
  dravel::InitRuntime();
  dravel::SetEndCallback([] {});
  dravel::PreferChineseLocaleWords();
  QCoreApplication::setOrganizationName(QStringLiteral("Dravel"));
  QCoreApplication::setApplicationName(QStringLiteral("dravel"));
  std::optional<dravel::WindowCarry> carry;
  std::string file = command_line.file;
  int remembered = dravel::RememberedDisplayScale(QSettings());
  int percent = remembered;
  for (;;) {
    const WindowEnd end = RunWindow(argc, argv, file, percent, remembered, carry);
    if (end.retry_at != 0) {
      percent = end.retry_at;
      continue;
    }
    if (!carry) return end.code;
    file.clear();
    percent = remembered = dravel::RememberedDisplayScale(QSettings());
  }
}
