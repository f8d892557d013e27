#include "apps/dravel-render/text_library/gui_application.h"

#include <QGuiApplication>
#include <iostream>
#include <memory>

namespace dravel {
namespace {

// The application's command line: the program's name alone, since Qt takes
// no options from dravel-render's.
int kept_argc = 1;
char kept_name[] = "dravel-render";
char* kept_argv[] = {kept_name, nullptr};
std::unique_ptr<QGuiApplication> application;

// Qt's own notes (such as a missing runtime directory) are noise in batch
// output; only its errors reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

// Headless and quiet; before anything of Qt is used.
void PrepareQt() {
  // Headless by design: no display is needed or used.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QtMessages);
}

}  // namespace

void StartGuiApplication() {
  if (application != nullptr) return;
  PrepareQt();
  application = std::make_unique<QGuiApplication>(kept_argc, kept_argv);
}

void EndGuiApplication() { application.reset(); }

}  // namespace dravel
