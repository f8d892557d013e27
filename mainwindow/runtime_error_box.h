// RuntimeErrorBox: the run-time error dialog for the window. Any thread may
// raise it; the window's thread shows it. A run thread that raises it waits
// until the user has closed it, since the program ends right after. The
// window's thread also shows a waiting dialog when it waits for the run
// itself, and before it goes away, so neither thread waits for the other.
#pragma once

#include <QObject>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string_view>

#include "runtime/text.h"

namespace dravel {

class DialogService;

class RuntimeErrorBox {
 public:
  // `context` lives on the window's thread; calls posted to it run there.
  RuntimeErrorBox(DialogService& dialogs, QObject& context);

  // Shows the dialog with the GBK `text`, from any thread, and returns once
  // it has been closed (or, from another thread, once the window has gone).
  void Show(std::string_view gbk_text);
  // On the window's thread: shows a dialog another thread is waiting for.
  void ShowWaiting();
  // On the window's thread, before it goes away: shows a waiting dialog, then
  // lets later ones return at once.
  void Close();

 private:
  void ShowNow(const Text& text);

  DialogService& dialogs_;
  QObject& context_;
  std::mutex mutex_;
  std::condition_variable shown_;
  std::optional<Text> waiting_;
  bool showing_ = false;
  bool closed_ = false;
};

}  // namespace dravel
