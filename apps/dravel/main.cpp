// The program: the runtime's start-up, the main window, the message loop.
// Closing the window (after the save prompt allows it) destroys it, and its
// destruction ends the process with exit code 0.
#include <QApplication>
#include <QFileInfo>

#include "mainwindow/dialog_service.h"
#include "mainwindow/main_window.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow/translations.h"
#include "runtime/beep_delay.h"
#include "runtime/runtime_error.h"

int main(int argc, char* argv[]) {
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
  if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1) {
    window->Files().OpenPath(QFileInfo(arguments[1]).absoluteFilePath());
  }
  return app.exec();
}
