#include "runtime/markup_text.h"

#include <cstdint>

namespace dravel {

std::string MarkupText(std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (uint8_t(c) < 0x20 && c != '\t') continue;
    if (utf8.substr(i, 2) == "\xEF\xBF" && i + 2 < utf8.size() &&
        (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF')) {
      i += 2;
      continue;
    }
    switch (c) {
      case '&': text += "&amp;"; break;
      case '<': text += "&lt;"; break;
      case '>': text += "&gt;"; break;
      case '"': text += "&quot;"; break;
      default: text += c;
    }
  }
  return text;
}

}  // namespace dravel
