#include "marking/script_result.h"

#include <charconv>
#include <cstdio>

namespace dravel {

std::string ResultText(const ScriptResult& result) {
  char score[32] = "";
  if (result.score) *std::to_chars(score, score + sizeof score - 1, *result.score).ptr = '\0';
  return "exit\t" + std::to_string(result.exit_status) + "\nresult\t" + result.result +
         "\nplace\t" + result.place + "\npicture error\t" + std::to_string(result.picture_error) +
         "\nlines\t" + std::to_string(result.lines_drawn) + "\nms\t" +
         std::to_string(result.milliseconds) + "\nscore\t" + score + "\nreference\t" +
         std::to_string(result.reference) + "\noverlay error\t" +
         std::to_string(result.overlay_error) + "\nfindings\t" + std::to_string(result.findings) +
         "\nfirst finding line\t" + std::to_string(result.first_finding_line) +
         "\nfirst finding\t" + result.first_finding + "\nlast\t" + result.last_line + "\n";
}

std::optional<ScriptResult> ParseResult(std::string_view text) {
  ScriptResult result;
  int fields = 0;
  const auto number = [](std::string_view value, auto& out) {
    return std::from_chars(value.data(), value.data() + value.size(), out).ec == std::errc();
  };
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, tab), value = line.substr(tab + 1);
    bool ok = true;
    if (key == "exit")
      ok = number(value, result.exit_status);
    else if (key == "result")
      result.result = value;
    else if (key == "place")
      result.place = value;
    else if (key == "picture error")
      ok = number(value, result.picture_error);
    else if (key == "lines")
      ok = number(value, result.lines_drawn);
    else if (key == "ms")
      ok = number(value, result.milliseconds);
    else if (key == "score")
      ok = value.empty() || number(value, result.score.emplace());
    else if (key == "reference")
      ok = number(value, result.reference);
    else if (key == "overlay error")
      ok = number(value, result.overlay_error);
    else if (key == "findings")
      ok = number(value, result.findings);
    else if (key == "first finding line")
      ok = number(value, result.first_finding_line);
    else if (key == "first finding")
      result.first_finding = value;
    else if (key == "last")
      result.last_line = value;
    else
      ok = false;
    if (!ok) return std::nullopt;
    ++fields;
  }
  if (fields != 13) return std::nullopt;
  return result;
}

bool RanToItsEnd(const ScriptResult& result) {
  return result.result == "ok" || result.result == "failed";
}

std::string ScoreText(double score) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", score);
  return text;
}

}  // namespace dravel
