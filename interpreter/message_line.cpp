#include "interpreter/message_line.h"

#include "interpreter/messages.h"
#include "runtime/system_text.h"

namespace dravel {
namespace {

const Text kLineWord = SystemText("行");
constexpr int kLongestLineNumber = 9;  // more digits name no line of a script

}  // namespace

int ScriptLineOfMessage(std::string_view gbk_line) {
  if (gbk_line.starts_with(messages::kStoppedByPrefix)) {
    gbk_line.remove_prefix(messages::kStoppedByPrefix.size());
  } else if (gbk_line.starts_with(messages::kLinePrefix)) {
    gbk_line.remove_prefix(messages::kLinePrefix.size());
  } else {
    return 0;
  }
  int line = 0;
  size_t digits = 0;
  for (; digits < gbk_line.size() && gbk_line[digits] >= '0' && gbk_line[digits] <= '9'; ++digits) {
    if (digits == kLongestLineNumber) return 0;
    line = line * 10 + (gbk_line[digits] - '0');
  }
  if (digits == 0 || !gbk_line.substr(digits).starts_with(kLineWord)) return 0;
  return line;
}

}  // namespace dravel
