#include "mainwindow/runtime_error_box.h"

#include <QThread>

#include "mainwindow/dialog_service.h"
#include "runtime/runtime_error.h"

namespace dravel {

RuntimeErrorBox::RuntimeErrorBox(DialogService& dialogs, QObject& context)
    : dialogs_(dialogs), context_(context) {}

void RuntimeErrorBox::Show(std::string_view gbk_text) {
  if (QThread::currentThread() == context_.thread()) {
    ShowNow(Text(gbk_text));
    return;
  }
  std::unique_lock lock(mutex_);
  if (closed_) return;
  waiting_ = Text(gbk_text);
  QMetaObject::invokeMethod(
      &context_, [this] { ShowWaiting(); }, Qt::QueuedConnection);
  shown_.wait(lock, [this] { return !waiting_ || closed_; });
}

void RuntimeErrorBox::ShowWaiting() {
  Text text;
  {
    std::lock_guard lock(mutex_);
    // The dialog's own event loop may call here again while it shows.
    if (!waiting_ || showing_) return;
    text = *waiting_;
    showing_ = true;
  }
  ShowNow(text);
  {
    std::lock_guard lock(mutex_);
    waiting_.reset();
    showing_ = false;
  }
  shown_.notify_all();
}

void RuntimeErrorBox::Close() {
  ShowWaiting();
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  shown_.notify_all();
}

void RuntimeErrorBox::ShowNow(const Text& text) {
  dialogs_.ShowMessageBox(text, kMbIconError, kRuntimeErrorCaption);
}

}  // namespace dravel
