#include "marking/file_names.h"

#include <algorithm>

#include "runtime/control_text.h"
#include "runtime/gbk_codec.h"

namespace dravel {

bool IsScriptName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ending(name.substr(name.size() - 4));
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ending == ".dvg";
}

std::string ShownName(std::string_view bytes) {
  // Pure ASCII reads the same either way.
  return LooksLikeUtf8(bytes) ? std::string(WithoutByteOrderMark(bytes)) : GbkToUtf8(bytes);
}

std::string ShownPath(std::string_view path) {
  std::string shown;
  for (size_t start = 0; start <= path.size();) {
    const size_t slash = std::min(path.find('/', start), path.size());
    shown += ShownName(path.substr(start, slash - start));
    if (slash < path.size()) shown += '/';
    start = slash + 1;
  }
  return shown;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.ends_with('/')) return folder + name;
  return folder + "/" + name;
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
  return ControlsEscaped(field, "");
}

}  // namespace dravel
