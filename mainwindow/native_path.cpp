#include "mainwindow/native_path.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& native) {
  std::error_code error;
  return fs::exists(native, error);
}

// The entry of `folder` (bytes; empty for the current folder) that Qt shows as
// `name`, when exactly one does.
std::optional<std::string> OnlyEntryShownAs(const std::string& folder, const QString& name) {
  std::optional<std::string> found;
  std::error_code error;
  fs::directory_iterator entries(folder.empty() ? "." : folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::string entry = entries->path().filename().native();
    if (QFile::decodeName(QByteArray::fromStdString(entry)) != name) continue;
    if (found) return std::nullopt;
    found = std::move(entry);
  }
  return found;
}

bool IsUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString ignored = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return !decoder.hasError();
}

}  // namespace

std::string NativePath(const QString& path) {
  std::string encoded = QFile::encodeName(path).toStdString();
  if (!path.contains(QChar::ReplacementCharacter) || Exists(encoded)) return encoded;
  const qsizetype slash = path.lastIndexOf(QChar('/'));
  std::string folder;
  if (slash == 0) {
    folder = "/";
  } else if (slash > 0) {
    folder = NativePath(path.left(slash));
  }
  const std::optional<std::string> entry = OnlyEntryShownAs(folder, path.mid(slash + 1));
  if (!entry) return encoded;
  if (folder.empty()) return *entry;
  return folder.back() == '/' ? folder + *entry : folder + '/' + *entry;
}

QString ReadablePath(std::string_view native) {
  QStringList parts;
  for (size_t start = 0;;) {
    const size_t slash = std::min(native.find('/', start), native.size());
    const std::string_view part = native.substr(start, slash - start);
    parts << (IsUtf8(part) ? QString::fromUtf8(part.data(), qsizetype(part.size()))
                           : FromGbk(Text(part)));
    if (slash == native.size()) break;
    start = slash + 1;
  }
  return parts.join(QChar('/'));
}

}  // namespace dravel
