#include "marking/script_copies.h"

#include <algorithm>
#include <map>

#include "interpreter/command_table.h"
#include "runtime/system_text.h"

namespace dravel {
namespace {

// A word ends at spacing and at the marks of a repeat's body, which are
// kept; each word is kept as the keyword when it is a command's alias.
class LineKey {
 public:
  explicit LineKey(std::string_view line) {
    static const Text open = SystemText("【"), close = SystemText("】");
    for (size_t i = 0; i < line.size();) {
      // A GBK character's trail byte may be '|': step whole characters.
      const size_t width = IsLeadByte(uint8_t(line[i])) && i + 1 < line.size() ? 2 : 1;
      const std::string_view c = line.substr(i, width);
      i += width;
      if (c == " " || c == "\t" || c == "\r") {
        EndWord();
      } else if (c == "|" || c == open || c == close) {
        EndWord();
        key_ += c;
      } else {
        word_ += c;
      }
    }
    EndWord();
  }
  const std::string& Key() const { return key_; }

 private:
  void EndWord() {
    const CommandRow* row = FindAnyCommand(word_);
    key_ += row ? std::string_view(row->keyword) : std::string_view(word_);
    word_.clear();
  }

  std::string key_, word_;
};

}  // namespace

std::string CopyKey(std::string_view gbk_script) {
  std::string key;
  while (!gbk_script.empty()) {
    const size_t end = std::min(gbk_script.find('\n'), gbk_script.size());
    const std::string line = LineKey(gbk_script.substr(0, end)).Key();
    gbk_script.remove_prefix(std::min(end + 1, gbk_script.size()));
    if (line.empty() || line.starts_with("//")) continue;
    key += line + '\n';
  }
  return key;
}

std::vector<int> CopyGroups(const std::vector<std::string>& keys,
                            const std::vector<std::string>& common) {
  std::map<std::string_view, size_t> count;
  for (const std::string& key : keys) ++count[key];
  std::map<std::string_view, int> numbers;
  std::vector<int> groups(keys.size(), 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    const size_t shared = count[keys[i]];
    const bool copied = !keys[i].empty() && shared > 1 && shared * 4 < keys.size() &&
                        std::find(common.begin(), common.end(), keys[i]) == common.end();
    if (!copied) continue;
    groups[i] = numbers.emplace(keys[i], int(numbers.size()) + 1).first->second;
  }
  return groups;
}

}  // namespace dravel
