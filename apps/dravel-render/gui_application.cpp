#include "apps/dravel-render/gui_application.h"

#include <QGuiApplication>
#include <memory>

#include "interpreter/command_table.h"
#include "runtime/text.h"

namespace dravel {
namespace {

int* kept_argc = nullptr;
char** kept_argv = nullptr;
std::unique_ptr<QGuiApplication> application;

}  // namespace

void KeepCommandLine(int& argc, char** argv) {
  kept_argc = &argc;
  kept_argv = argv;
}

void StartGuiApplication() {
  if (application != nullptr) return;
  Q_ASSERT(kept_argc != nullptr);
  application = std::make_unique<QGuiApplication>(*kept_argc, kept_argv);
}

void EndGuiApplication() { application.reset(); }

void StartGuiApplicationFor(std::string_view gbk_script) {
  const CommandRow& text = RowOf(CommandAction::kWriteText);
  if (FindText(gbk_script, text.keyword) > 0 || FindText(gbk_script, text.alias, {}, true) > 0) {
    StartGuiApplication();
  }
}

}  // namespace dravel
