#include "apps/dravel-render/script_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

bool EndsInDvg(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ending(name.substr(name.size() - 4));
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ending == ".dvg";
}

}  // namespace

QString ShownName(std::string_view bytes) {
  const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
  const QString utf8 = QString::fromUtf8(raw);
  if (utf8.toUtf8() == raw) return utf8;
  return QString::fromStdString(GbkToUtf8(bytes));
}

std::optional<std::vector<ScriptFile>> ListScripts(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return std::nullopt;
  std::vector<ScriptFile> scripts;
  for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (error) return std::nullopt;
    const std::string name = entries->path().filename().native();
    // A pipe or a broken link is listed, to show as unreadable.
    std::error_code kind_error;
    if (!EndsInDvg(name) || entries->is_directory(kind_error)) continue;
    scripts.push_back({name, ShownName(name)});
  }
  std::sort(scripts.begin(), scripts.end(), [](const ScriptFile& a, const ScriptFile& b) {
    const int order = QString::compare(a.shown, b.shown);
    return order != 0 ? order < 0 : a.name < b.name;
  });
  return scripts;
}

std::string OneLineText(std::string_view text) {
  std::string field;
  for (char c : text) {
    switch (c) {
      case '\t': field += "\\t"; break;
      case '\n': field += "\\n"; break;
      case '\r': field += "\\r"; break;
      case '\\': field += "\\\\"; break;
      default: field += c;
    }
  }
  return field;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.ends_with('/')) return folder + name;
  return folder + "/" + name;
}

}  // namespace dravel
