#include "apps/dravel-hub/term/roster_row.h"

#include <algorithm>

namespace dravel::hub {
namespace {

constexpr size_t kLongestNumber = 40;  // bytes
constexpr size_t kLongestName = 120;   // bytes: 40 Chinese characters

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

}  // namespace

std::string RosterLine(size_t line) { return "第 " + std::to_string(line) + " 行"; }

std::string RosterRowFault(size_t line, const RosterRow& row) {
  if (HasControl(row.number) || HasControl(row.name)) return RosterLine(line) + "含有控制字符";
  if (row.number.size() > kLongestNumber || row.name.size() > kLongestName) {
    return RosterLine(line) + "的学号或姓名过长";
  }
  return "";
}

}  // namespace dravel::hub
