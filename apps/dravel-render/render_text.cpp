#include "apps/dravel-render/render_text.h"

#include <iostream>

#include "interpreter/command_list.h"
#include "marking/teacher_words.h"
#include "runtime/control_text.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "runtime/value.h"

namespace dravel {

std::optional<std::string> ReadScriptBytes(const std::string& path, std::string_view program) {
  if (path == "-") {
    std::cin.tie(nullptr);
    std::string bytes;
    char chunk[1 << 16];
    // No longer than a file the editor opens, refused as soon as it is longer.
    while (std::cin.read(chunk, sizeof chunk) || std::cin.gcount() > 0) {
      bytes.append(chunk, size_t(std::cin.gcount()));
      if (bytes.size() > kLargestFile) {
        std::cerr << program << ": "
                  << SaidText(Said::kInputTooLong, {std::to_string(kLargestFile)}) << "\n";
        return std::nullopt;
      }
    }
    if (std::cin.bad()) return std::nullopt;
    return bytes;
  }
  const FileReadResult result = TryReadFileBytes(path);
  if (!result.Ok()) {
    std::cerr << program << ": "
              << ControlsEscaped(SaidText(Said::kCannotRead, {path, ErrorWords(result.error)}), "")
              << "\n";
    return std::nullopt;
  }
  return std::string(result.bytes.begin(), result.bytes.end());
}

std::string HintForOutput(const Text& hint, bool gbk) {
  std::string text = gbk ? hint : GbkToUtf8(hint);
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return ControlsEscaped(lines, "\n\t", !gbk);
}

std::string StateLine(const TurtleState& turtle) {
  return "turtle " + ToText(turtle.x) + " " + ToText(turtle.y) + " " + ToText(turtle.heading) +
         " " + ToText(turtle.pen) + " " + ToText(turtle.visible) + "\n";
}

namespace {

// The text of a script file read in `encoding` when that is UTF-8, without
// its byte order mark.
std::optional<std::string_view> Utf8TextOf(std::string_view bytes, ScriptEncoding encoding) {
  const std::string_view text = UpToZero(bytes);
  const bool utf8 = encoding == ScriptEncoding::kUtf8 ||
                    (encoding == ScriptEncoding::kAuto && LooksLikeUtf8(text));
  if (!utf8) return std::nullopt;
  return WithoutByteOrderMark(text);
}

}  // namespace

Text ScriptOf(std::string_view bytes, ScriptEncoding encoding) {
  const std::optional<std::string_view> utf8 = Utf8TextOf(bytes, encoding);
  return ScriptFromFileBytes(utf8 ? Utf8ToGbk(*utf8) : UpToZero(bytes));
}

std::vector<LostInLine> LostCharactersOf(std::string_view bytes, ScriptEncoding encoding) {
  const std::optional<std::string_view> utf8 = Utf8TextOf(bytes, encoding);
  return utf8 ? LostCharactersByLine(*utf8) : std::vector<LostInLine>{};
}

Text LastHintLine(const Text& hint) {
  // A GBK trail byte is never CR or LF, so searching bytes is safe.
  const size_t end = hint.find_last_not_of("\r\n");
  if (end == Text::npos) return {};
  const size_t newline = hint.rfind('\n', end);
  const size_t start = newline == Text::npos ? 0 : newline + 1;
  return hint.substr(start, end + 1 - start);
}

std::string CanvasRefusal(const RenderOptions& options) {
  return SaidText(Said::kCanvasMemory,
                  {std::to_string(options.width) + "x" + std::to_string(options.height)});
}

std::string PictureRefusal(const std::string& path) {
  return SaidText(Said::kPictureMemory, {path});
}

}  // namespace dravel
