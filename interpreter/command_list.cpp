#include "interpreter/command_list.h"

#include "interpreter/messages.h"

namespace dravel {

CommandList SplitLines(std::string_view script) { return SplitText(script, "\r\n"); }

std::vector<Text> SplitWords(std::string_view line) { return SplitText(line, " "); }

namespace {

Text MarkerText(std::string_view marker) {
  return ReplaceText(marker, messages::kQuoteName, "\"", {}, {}, true);
}

}  // namespace

Text TextBetween(std::string_view source, std::string_view start_marker,
                 std::string_view end_marker, int start, bool case_sensitive) {
  const Text open = MarkerText(start_marker);
  const Text close = MarkerText(end_marker);
  const bool ignore_case = !case_sensitive;
  const int open_at = FindText(source, open, start, ignore_case);
  if (open_at < 0) return {};
  const int body_at = open_at + TextLength(open);
  const int close_at = FindText(source, close, body_at, ignore_case);
  if (close_at < 0) return {};
  return TextMiddle(source, body_at, close_at - body_at);
}

Text ScriptFromFileBytes(std::string_view bytes) {
  const std::string_view text = UpToZero(bytes);
  Text script;
  script.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char byte = text[i];
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      script += "\r\n";
      ++i;
    } else if (byte == '\r' || byte == '\n') {
      script += "\r\n";
    } else {
      script += byte;
    }
  }
  return script;
}

Text ScriptFromFileBytes(std::span<const unsigned char> bytes) {
  return ScriptFromFileBytes(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace dravel
