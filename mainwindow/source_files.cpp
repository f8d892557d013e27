#include "mainwindow/source_files.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <span>
#include <string>

#include "interpreter/program_file.h"
#include "mainwindow/dialog_service.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/native_path.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/window_texts.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "runtime/recovery_copy.h"

namespace dravel {
namespace {

bool WriteScript(const std::string& native, const Text& bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  return TryWriteFileBytes(native, std::span<const uint8_t>(data, bytes.size())).Ok();
}

// The source path with its extension changed to the program file's.
QString ProgramPathFor(const QString& source_path) {
  const QFileInfo info(source_path);
  return info.path() + QChar('/') + info.completeBaseName() + QChar('.') +
         FromGbk(texts::kProgramExt);
}

// ProgramPathFor over the file system's bytes. No GBK trail byte is a '/' or
// a '.', so they are found bytewise.
std::string ProgramNativeFor(const std::string& source_native) {
  const size_t name = source_native.rfind('/') + 1;  // 0 when there is no folder
  const size_t dot = source_native.rfind('.');
  const size_t end = dot != std::string::npos && dot >= name ? dot : source_native.size();
  return source_native.substr(0, end) + '.' + texts::kProgramExt;
}

}  // namespace

SourceFiles::SourceFiles(EditBox& editor, EditBox& hint, DialogService& dialogs)
    : editor_(editor), hint_(hint), dialogs_(dialogs) {}

int SourceFiles::SavePrompt() {
  if (source_changed_ == 0) return 1;
  const BoxAnswer answer = dialogs_.ShowMessageBox(
      texts::kSavePrompt, kMbYesNoCancel | kMbIconQuestion, texts::kMessageBoxCaption);
  if (answer == BoxAnswer::kYes) return SaveScript(false) ? 1 : 0;
  return answer == BoxAnswer::kNo ? 1 : 0;
}

void SourceFiles::New() {
  if (SavePrompt() == 0) return;
  editor_.SetContent(Text());
  hint_.AppendText(texts::kNewDone);
  source_changed_ = 0;
  source_path_.clear();
  source_native_.clear();
  dialog_.SetFileName(QString());
}

void SourceFiles::Open() {
  if (SavePrompt() == 0) return;
  if (!AskForPath(DialogKind::kOpenFile, texts::kSourceFilter, texts::kSourceExt, source_path_)) {
    return;
  }
  OpenPath(dialog_.FileName());
}

void SourceFiles::OpenPath(const QString& path) { OpenNativePath(NativePath(path)); }

void SourceFiles::OpenNativePath(const std::string& native) {
  // A script of millions of lines takes a while to lay out.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
  FileReadResult read = TryReadFileBytes(native);
  if (!read.Ok()) {
    Report(texts::kOpenPrefix, ReadablePath(native), false);
    return;
  }
  const bool recovered = OfferRecoveryCopy(native, read.bytes);
  const auto end = std::find(read.bytes.begin(), read.bytes.end(), uint8_t{0});
  Text script(read.bytes.begin(), end);
  read.bytes = {};
  const bool convert = LooksLikeUtf8(script) && AskToConvertFromUtf8();
  if (convert) {
    editor_.SetWidgetText(Utf8ToWidgetText(script));
  } else {
    editor_.SetContent(script);
  }
  source_path_ = QFile::decodeName(QByteArray::fromStdString(native));
  source_native_ = native;
  Report(texts::kOpenPrefix, ReadablePath(native), true);
  // Converted or recovered text is not yet what the file holds; what GBK
  // cannot hold is told now, as a save would tell it.
  source_changed_ = convert || recovered ? 1 : 0;
  int bad_line = 0;
  if (convert) editor_.Content(&bad_line);
  if (bad_line != 0) {
    hint_.AppendText(texts::kLinePrefix + std::to_string(bad_line) + texts::kUnsavableLine);
  }
}

bool SourceFiles::OfferRecoveryCopy(const std::string& native, ByteSet& bytes) {
  std::optional<RecoveryCopy> copy = FindRecoveryCopy(native);
  if (!copy || copy->bytes == bytes) return false;
  const QString question =
      QCoreApplication::translate("dravel::SourceFiles",
                                  "上次保存“%1”时没有完成，这个文件现在可能不完整。\n"
                                  "保存前的内容留在“%2”。\n"
                                  "要打开保存前的内容吗？选“是”打开保存前的内容（请检查后保存）；"
                                  "选“否”打开文件现在的内容。这份副本留到下次保存这个文件时。")
          .arg(ReadablePath(native), ReadablePath(copy->path));
  const BoxAnswer answer = dialogs_.ShowMessageBox(
      Utf8ToGbk(question.toStdString()), kMbYesNo | kMbIconQuestion, texts::kMessageBoxCaption);
  if (answer != BoxAnswer::kYes) return false;
  bytes = std::move(copy->bytes);
  return true;
}

bool SourceFiles::AskToConvertFromUtf8() {
  const BoxAnswer answer = dialogs_.ShowMessageBox(
      texts::kConvertFromUtf8, kMbYesNo | kMbIconQuestion, texts::kMessageBoxCaption);
  return answer == BoxAnswer::kYes;
}

void SourceFiles::OpenExample(const QString& name, const Text& script) {
  editor_.SetContent(script);
  source_changed_ = 0;
  source_path_.clear();
  source_native_.clear();
  dialog_.SetFileName(QString());
  Report(texts::kOpenPrefix, name, true);
}

SourceFiles::Origin SourceFiles::CurrentOrigin() const {
  return {source_path_, source_native_, dialog_.FileName(), source_changed_};
}

void SourceFiles::TakeOver(const Origin& origin) {
  source_path_ = origin.path;
  source_native_ = origin.native;
  dialog_.SetFileName(origin.dialog_file_name);
  source_changed_ = origin.changed;
}

void SourceFiles::Save() { SaveScript(true); }

void SourceFiles::Compile() {
  const QString initial =
      source_path_.isEmpty() ? dialog_.FileName() : ProgramPathFor(source_path_);
  if (!AskForPath(DialogKind::kSaveFile, texts::kProgramFilter, texts::kProgramExt, initial)) {
    return;
  }
  const std::string native = ProgramNativePath(dialog_.FileName());
  Text script;
  if (!EncodeScript(texts::kCompilePrefix, native, script)) return;
  Report(texts::kCompilePrefix, ReadablePath(native),
         WriteScript(native, RemoveStopKeywords(script)));
}

std::string SourceFiles::ProgramNativePath(const QString& path) const {
  if (!source_native_.empty() && path == ProgramPathFor(source_path_)) {
    return ProgramNativeFor(source_native_);
  }
  return NativePath(path);
}

bool SourceFiles::SaveScript(bool line_break) {
  std::string native = source_native_;
  if (native.empty()) {
    if (!AskForPath(DialogKind::kSaveFile, texts::kSourceFilter, texts::kSourceExt, QString())) {
      return false;
    }
    native = NativePath(dialog_.FileName());
  }
  Text script;
  if (!EncodeScript(texts::kSavePrefix, native, script)) return false;
  const bool ok = WriteScript(native, script);
  Report(texts::kSavePrefix, ReadablePath(native), ok, line_break);
  if (ok) {
    source_path_ = QFile::decodeName(QByteArray::fromStdString(native));
    source_native_ = native;
    source_changed_ = 0;
  }
  return ok;
}

bool SourceFiles::AskForPath(DialogKind kind, const Text& filter, const Text& ext,
                             const QString& initial) {
  dialog_.SetKind(kind);
  dialog_.SetFilter(filter);
  dialog_.SetDefaultExt(ext);
  // A save names a file that may not exist yet; an open needs one that does.
  dialog_.SetFileMustExist(kind == DialogKind::kOpenFile);
  dialog_.SetFileName(initial);
  return dialogs_.ShowFileDialog(dialog_);
}

bool SourceFiles::EncodeScript(const Text& prefix, const std::string& native, Text& script) {
  int bad_line = 0;
  script = editor_.Content(&bad_line);
  if (bad_line == 0 || AskToSaveLossily(bad_line)) return true;
  hint_.AppendText(texts::kLinePrefix + std::to_string(bad_line) + texts::kUnsavableLine);
  Report(prefix, ReadablePath(native), false);
  return false;
}

bool SourceFiles::AskToSaveLossily(int bad_line) {
  // Through a box of Qt's own strings: the character cannot pass through GBK.
  const QString question =
      QCoreApplication::translate("dravel::SourceFiles",
                                  "脚本里有 GBK 无法保存的字符“%1”（第 %2 行），"
                                  "保存后会变成“?”。仍然保存吗？")
          .arg(FirstUnsavableCharacter(editor_.toPlainText()))
          .arg(bad_line);
  const QStringList choices{QCoreApplication::translate("dravel::SourceFiles", "仍然保存"),
                            QCoreApplication::translate("dravel::SourceFiles", "不保存")};
  return dialogs_.ShowChoices(FromGbk(texts::kMessageBoxCaption), question, choices) == 0;
}

void SourceFiles::Report(const Text& prefix, const QString& shown, bool ok, bool line_break) {
  Text message = prefix + Utf8ToGbk(shown.toStdString());
  if (ok) {
    message += texts::kSucceeded;
    if (line_break) message += texts::kLineBreak;
  } else {
    message += texts::kFailed;
    message += texts::kLineBreak;
  }
  hint_.AppendText(message);
}

}  // namespace dravel
