// SourceFiles: the new, open, save and compile commands, the save prompt and
// the source-changed flag. It keeps the source file's path apart from the
// shared file dialog's FileName, so that compiling never redirects a later save
// to the program file. Every outcome, failures included, is one message in the
// hint box; nothing typed is lost: a save that does not happen stops the
// command that asked for it. Window thread only.
#pragma once

#include <QString>
#include <string>

#include "mainwindow/common_dialog.h"
#include "runtime/text.h"
#include "runtime/value.h"

namespace dravel {

class DialogService;
class EditBox;

class SourceFiles {
 public:
  SourceFiles(EditBox& editor, EditBox& hint, DialogService& dialogs);

  // 1 when the caller may go on (nothing changed, saved, or the user said No);
  // 0 when the user cancelled or the save did not happen.
  int SavePrompt();
  void New();
  void Open();
  // Opens `path` as Open does once the dialog has given it, without the save
  // prompt. A file whose save in place was cut short is offered back as it
  // was before (OfferRecoveryCopy). A file that reads as UTF-8 (gbk_codec.h, LooksLikeUtf8) is
  // converted into GBK when the user says so, and then counts as changed. A
  // path Qt decoded lossily finds its file again (native_path.h).
  void OpenPath(const QString& path);
  // OpenPath for the file system's own bytes (a program argument), which may
  // be no UTF-8 at all; saves then write the file under those same bytes.
  void OpenNativePath(const std::string& native);
  // Opens an example (`name`, its GBK `script`) as Open opens a file; the
  // caller has asked the save prompt. The script then has no file, so a save
  // asks for one.
  void OpenExample(const QString& name, const Text& script);
  void Save();
  void Compile();

  // Where the script came from and whether it changed since: what a window
  // that replaces this one takes over (window_carry.h).
  struct Origin {
    QString path;
    std::string native;
    QString dialog_file_name;
    int changed = 0;
  };
  Origin CurrentOrigin() const;
  void TakeOver(const Origin& origin);

  // The editor's content-changed event.
  void MarkChanged() { source_changed_ = 1; }
  int SourceChanged() const { return source_changed_; }
  const QString& SourcePath() const { return source_path_; }
  const CommonDialog& Dialog() const { return dialog_; }

 private:
  // Writes the script to the source path, asking for one when there is none.
  // `line_break` ends the success message. True when the file was written.
  bool SaveScript(bool line_break);
  // When a save of `native` written in place was cut short, its recovery copy
  // (recovery_copy.h) holds the bytes from before it: asks whether to open
  // those instead of the file's `bytes`, and on Yes puts them there. The copy
  // stays until the file is saved. True when `bytes` now hold the copy's.
  bool OfferRecoveryCopy(const std::string& native, ByteSet& bytes);
  // Asks whether to convert an open file's UTF-8 into GBK.
  bool AskToConvertFromUtf8();
  bool AskForPath(DialogKind kind, const Text& filter, const Text& ext, const QString& initial);
  // The editor's text as GBK. When GBK cannot hold some of it, asks first
  // (AskToSaveLossily): on yes those characters become '?'; on no it gives
  // false after reporting the first line GBK cannot hold and the failure of
  // `prefix` + `native`.
  bool EncodeScript(const Text& prefix, const std::string& native, Text& script);
  // Whether to save although the character GBK cannot hold, first on
  // `bad_line`, becomes '?'; the question names it.
  bool AskToSaveLossily(int bad_line);
  // One message: `prefix`, what is `shown` (a path, ReadablePath, or a name),
  // then success or failure.
  void Report(const Text& prefix, const QString& shown, bool ok, bool line_break = true);
  // Where a compile writes when the dialog gives `path`: beside the source
  // under the source's own bytes when `path` is the one proposed from it.
  std::string ProgramNativePath(const QString& path) const;

  EditBox& editor_;
  EditBox& hint_;
  DialogService& dialogs_;
  CommonDialog dialog_;
  QString source_path_;
  std::string source_native_;  // the bytes naming source_path_'s file
  int source_changed_ = 0;
};

}  // namespace dravel
