#include "apps/dravel-render/script_copies.h"

#include <cassert>
#include <map>

namespace dravel {

std::string CopyKey(std::string_view gbk_script) {
  std::string key;
  while (!gbk_script.empty()) {
    const size_t end = std::min(gbk_script.find('\n'), gbk_script.size());
    std::string line;
    for (const char c : gbk_script.substr(0, end))
      if (c != ' ' && c != '\t' && c != '\r') line += c;
    gbk_script.remove_prefix(std::min(end + 1, gbk_script.size()));
    if (line.empty() || line.starts_with("//")) continue;
    key += line + '\n';
  }
  return key;
}

std::vector<std::string> CopiesOf(const std::vector<std::string>& keys,
                                  const std::vector<std::string>& names) {
  assert(keys.size() == names.size());
  std::map<std::string_view, std::vector<size_t>> groups;
  for (size_t i = 0; i < keys.size(); ++i)
    if (!keys[i].empty()) groups[keys[i]].push_back(i);
  std::vector<std::string> copies(keys.size());
  for (const auto& [key, members] : groups) {
    for (const size_t i : members) {
      for (const size_t other : members) {
        if (other == i) continue;
        copies[i] += (copies[i].empty() ? "" : ", ") + names[other];
      }
    }
  }
  return copies;
}

}  // namespace dravel
