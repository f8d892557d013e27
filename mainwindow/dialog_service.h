// DialogService: the seam through which the window shows its modal dialogs
// (the file dialog, the message box, a question with choices of its own) and
// hands an address to the desktop (a browser, a file manager). The program
// uses QtDialogService; tests put in a service that answers at once, so no
// test ever blocks on a dialog or starts a program.
#pragma once

#include <QStringList>

#include "mainwindow/common_dialog.h"
#include "runtime/text.h"

class QUrl;

namespace dravel {

// Message-box styles (buttons plus icon) and result codes.
inline constexpr int kMbYesNoCancel = 3;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconError = 16;
inline constexpr int kMbIconQuestion = 32;
// The button a message box was closed with, numbered as the box reports it.
enum class BoxAnswer : int32_t {
  kOk = 0,
  kCancel = 1,
  kAbort = 2,
  kRetry = 3,
  kIgnore = 4,
  kYes = 5,
  kNo = 6
};

class DialogService {
 public:
  virtual ~DialogService() = default;

  // Shows the dialog of `dialog`'s kind. On confirmation its FileName becomes
  // the chosen full path and the result is true; on cancel (or a kind that is
  // not a file dialog) nothing changes and the result is false.
  virtual bool ShowFileDialog(CommonDialog& dialog) = 0;
  // Shows a modal box with the GBK `content` and `caption` and the buttons and
  // icon of `style`; gives the button it was closed with (Cancel also for the
  // close button and Esc).
  virtual BoxAnswer ShowMessageBox(const Text& content, int style, const Text& caption) = 0;
  // Shows a modal box with `text` and one button per choice, the last one
  // closing it; gives the index of the choice pressed, the last one also for
  // the close button and Esc.
  virtual int ShowChoices(const QString& caption, const QString& text,
                          const QStringList& choices) = 0;
  // Hands `url` to the desktop's handler for it; false when none took it.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

class QtDialogService final : public DialogService {
 public:
  bool ShowFileDialog(CommonDialog& dialog) override;
  BoxAnswer ShowMessageBox(const Text& content, int style, const Text& caption) override;
  int ShowChoices(const QString& caption, const QString& text, const QStringList& choices) override;
  bool OpenUrl(const QUrl& url) override;
};

}  // namespace dravel
