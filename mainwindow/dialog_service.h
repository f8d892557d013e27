// DialogService: the seam through which the window shows its modal dialogs,
// the file dialog and the message box. The program uses QtDialogService; tests
// put in a service that answers at once, so no test ever blocks on a dialog.
#pragma once

#include "mainwindow/common_dialog.h"
#include "runtime/text.h"

namespace dravel {

// Message-box styles (buttons plus icon) and result codes.
inline constexpr int kMbYesNoCancel = 3;
inline constexpr int kMbIconError = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kIdOk = 0;
inline constexpr int kIdCancel = 1;
inline constexpr int kIdAbort = 2;
inline constexpr int kIdRetry = 3;
inline constexpr int kIdIgnore = 4;
inline constexpr int kIdYes = 5;
inline constexpr int kIdNo = 6;

class DialogService {
 public:
  virtual ~DialogService() = default;

  // Shows the dialog of `dialog`'s kind. On confirmation its FileName becomes
  // the chosen full path and the result is true; on cancel (or a kind that is
  // not a file dialog) nothing changes and the result is false.
  virtual bool ShowFileDialog(CommonDialog& dialog) = 0;
  // Shows a modal box with the GBK `content` and `caption` and the buttons and
  // icon of `style`; gives the result code of the button (Cancel also for the
  // close button and Esc).
  virtual int ShowMessageBox(const Text& content, int style, const Text& caption) = 0;
};

class QtDialogService final : public DialogService {
 public:
  bool ShowFileDialog(CommonDialog& dialog) override;
  int ShowMessageBox(const Text& content, int style, const Text& caption) override;
};

}  // namespace dravel
