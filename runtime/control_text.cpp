#include "runtime/control_text.h"

#include <cstdio>

namespace dravel {

std::string ControlsEscaped(std::string_view text, std::string_view kept, bool utf8) {
  std::string escaped;
  escaped.reserve(text.size());
  char written[8];
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((byte < 0x20 || byte == 0x7F) && kept.find(char(byte)) == std::string_view::npos) {
      std::snprintf(written, sizeof written, "\\x%02X", byte);
      escaped += written;
    } else if (utf8 && byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      std::snprintf(written, sizeof written, "\\u%04X", unsigned(next));
      escaped += written;
      ++i;
    } else {
      escaped += char(byte);
    }
  }
  return escaped;
}

}  // namespace dravel
