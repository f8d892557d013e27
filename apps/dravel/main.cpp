// The program: the runtime's start-up, the main window, the message loop.
// Closing the window (after the save prompt allows it) destroys it, and its
// destruction ends the process with exit code 0.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

#include "mainwindow/dialog_service.h"
#include "mainwindow/main_window.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/source_files.h"
#include "runtime/beep_delay.h"
#include "runtime/runtime_error.h"

int main(int argc, char* argv[]) {
  dravel::InitRuntime();
  dravel::SetEndCallback([] {});
  QApplication app(argc, argv);
  dravel::SetBeepHook([] { QApplication::beep(); });
  dravel::SetRuntimeErrorHook([&app](std::string_view gbk_text) {
    const QString text = dravel::FromGbk(dravel::Text(gbk_text));
    // Only the window's thread may show a box; the run thread must not wait
    // for a window that may be waiting for it.
    if (QThread::currentThread() != app.thread()) {
      std::fputs(text.toLocal8Bit().constData(), stderr);
      return;
    }
    QMessageBox::critical(nullptr, dravel::FromGbk(dravel::Text(dravel::kRuntimeErrorCaption)), text);
  });
  dravel::QtDialogService dialogs;
  auto* window = new dravel::MainWindow(dialogs);
  window->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(window, &QObject::destroyed, [] { dravel::ExitProgram(0); });
  window->show();
  // `dravel FILE.dvg`, as a file manager starts it: open as the open button would.
  if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1) {
    window->Files().OpenPath(QFileInfo(arguments[1]).absoluteFilePath());
  }
  return app.exec();
}
