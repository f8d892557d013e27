// The fixed texts that the interpreter and the run driver write to the hint
// box, and the markers they look for outside the command table, as GBK.
#pragma once

#include <string_view>

#include "runtime/system_text.h"

namespace dravel::messages {

inline const Text kLinePrefix = SystemText("第");
inline const Text kStoppedByPrefix = SystemText("已被第");
inline const Text kStoppedBy = SystemText("行 停止 命令停止调试！\r\n");
inline const Text kUnrecognised = SystemText("行存在无法识别的命令！\r\n");
inline const Text kHintHeader = SystemText("提示信息：\r\n");
inline const Text kRunStarted = SystemText("开始调试现行程序...\r\n");
inline const Text kPassDone = SystemText("次：执行命令完毕！\r\n");
inline const Text kRunDone = SystemText("程序调试完毕！\r\n");
inline const Text kRunStopped = SystemText("已停止调试程序！\r\n");

inline constexpr std::string_view kCommentStart = " //";
inline const Text kBodyOpen = SystemText("【");
inline const Text kBodyClose = SystemText("】");
inline const Text kQuoteName = SystemText("#引号");

}  // namespace dravel::messages
