// DialogService: the seam through which the window shows its modal dialogs,
// the file dialog and the message box. The program uses QtDialogService; tests
// put in a service that answers at once, so no test ever blocks on a dialog.
#pragma once

#include "mainwindow/common_dialog.h"
#include "runtime/text.h"

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
};

class QtDialogService final : public DialogService {
 public:
  bool ShowFileDialog(CommonDialog& dialog) override;
  BoxAnswer ShowMessageBox(const Text& content, int style, const Text& caption) override;
};

}  // namespace dravel
