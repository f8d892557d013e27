// CommonDialog: the stored settings of the window's one file dialog, kept for
// the program's lifetime so that a chosen file name is the next dialog's
// initial name. Showing it is the DialogService's job (dialog_service.h); this
// unit only holds the properties and reads the filter text. Choosing an
// existing file for saving always asks before it is overwritten.
#pragma once

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/text.h"

namespace dravel {

// The dialog's kind, numbered as its stored property is.
enum class DialogKind : int32_t { kOpenFile = 0, kSaveFile = 1, kFont = 2, kHelp = 3 };

class CommonDialog {
 public:
  DialogKind Kind() const { return kind_; }
  void SetKind(DialogKind kind) { kind_ = kind; }
  // The stored property: values outside 0 … 3 are clamped.
  void SetKindNumber(int32_t number);
  // Initial name before the dialog, the chosen full path after a confirmed one.
  // A path is kept as the platform gives it, never narrowed to GBK.
  const QString& FileName() const { return file_name_; }
  void SetFileName(const QString& name) { file_name_ = name; }
  // GBK description|pattern pairs.
  const Text& Filter() const { return filter_; }
  void SetFilter(const Text& filter) { filter_ = filter; }
  // Added to a typed name that has no extension.
  const Text& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const Text& ext) { default_ext_ = ext; }
  bool FileMustExist() const { return file_must_exist_; }
  void SetFileMustExist(bool must_exist) { file_must_exist_ = must_exist; }

 private:
  DialogKind kind_ = DialogKind::kOpenFile;
  QString file_name_;
  Text filter_;
  Text default_ext_;
  bool file_must_exist_ = true;
};

// The filter's pairs as (description, pattern). Trailing white space is
// dropped; every '|' ends a piece; a description without a pattern is dropped.
std::vector<std::pair<QString, QString>> FilterPairs(const Text& filter);

}  // namespace dravel
