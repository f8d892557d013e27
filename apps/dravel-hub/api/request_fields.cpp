#include "apps/dravel-hub/api/request_fields.h"

#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

// Enough for any class's model answers, and no more than a body holds.
constexpr size_t kMostReferences = 20;

}  // namespace

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kSpacing = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpacing);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpacing) - first + 1);
}

std::optional<std::string_view> QueryValue(std::string_view target, std::string_view key) {
  const size_t question = target.find('?');
  if (question == std::string_view::npos) return std::nullopt;
  std::string_view query = target.substr(question + 1);
  query = query.substr(0, query.find('#'));
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const size_t equals = pair.find('=');
    if (pair.substr(0, equals) != key) continue;
    return equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
  }
  return std::nullopt;
}

std::optional<std::string> TextField(const Json& body, const char* key) {
  const auto found = body.find(key);
  if (found == body.end() || !found->is_string()) return std::nullopt;
  const std::string& text = found->get_ref<const std::string&>();
  // JSON may carry a NUL ("\u0000"), which no name holds and a server
  // database refuses to keep.
  if (text.find('\0') != std::string::npos) return std::nullopt;
  return std::string(Trim(text));
}

std::optional<bool> FlagField(const Json& body, const char* key, bool fallback) {
  const auto found = body.find(key);
  if (found == body.end()) return fallback;
  if (!found->is_boolean()) return std::nullopt;
  return found->get<bool>();
}

std::optional<std::string> ScriptToGbk(std::string_view utf8, std::string* refusal) {
  std::vector<LostCharacter> lost;
  std::string gbk = Utf8ToGbk(utf8, lost);
  if (lost.empty()) return gbk;
  *refusal = "含有 GBK 无法表示的字符“" + lost.front().character + "”";
  return std::nullopt;
}

std::optional<std::vector<std::string>> ReferencesField(const Json& body, const char* key,
                                                        std::string* refusal) {
  const auto found = body.find(key);
  if (found == body.end() || !found->is_array() || found->empty() ||
      found->size() > kMostReferences) {
    *refusal = "参考答案应为 1 到 " + std::to_string(kMostReferences) + " 个脚本";
    return std::nullopt;
  }
  std::vector<std::string> scripts;
  for (const Json& reference : *found) {
    const std::string label = "第 " + std::to_string(scripts.size() + 1) + " 个参考答案";
    if (!reference.is_string()) {
      *refusal = label + "不是文本";
      return std::nullopt;
    }
    std::string why;
    std::optional<std::string> gbk = ScriptToGbk(reference.get_ref<const std::string&>(), &why);
    if (!gbk) {
      *refusal = label + why;
      return std::nullopt;
    }
    scripts.push_back(std::move(*gbk));
  }
  return scripts;
}

}  // namespace dravel::hub
