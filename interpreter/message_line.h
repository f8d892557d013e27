// Which script line a hint box message names: "第N行…" (a failing line) and
// "已被第N行…" (a stop command). The window and the page jump there when the
// message is clicked; pass messages ("第N次…") name none.
#pragma once

#include <string_view>

namespace dravel {

// The line number (1 or more) that the message `gbk_line` begins with, or 0
// when it names none.
int ScriptLineOfMessage(std::string_view gbk_line);

}  // namespace dravel
