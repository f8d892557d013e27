// The fixed GBK texts that the interpreter and the run driver write to the
// hint box, and the keywords they look for outside the command table. Every
// literal is the exact GBK byte string; the UTF-8 spelling stands beside it.
#pragma once

#include <string_view>

namespace dravel::messages {

inline constexpr std::string_view kLinePrefix = "\xb5\xda";                  // 第
inline constexpr std::string_view kStoppedByPrefix = "\xd2\xd1\xb1\xbb\xb5\xda";  // 已被第
// 行 停止 命令停止调试！\r\n
inline constexpr std::string_view kStoppedBy =
    "\xd0\xd0\x20\xcd\xa3\xd6\xb9\x20\xc3\xfc\xc1\xee\xcd\xa3\xd6\xb9\xb5\xf7\xca\xd4\xa3\xa1\r\n";
// 行存在无法识别的命令！\r\n
inline constexpr std::string_view kUnrecognised =
    "\xd0\xd0\xb4\xe6\xd4\xda\xce\xde\xb7\xa8\xca\xb6\xb1\xf0\xb5\xc4\xc3\xfc\xc1\xee\xa3\xa1\r\n";
// 行命令 次数 错误！\r\n
inline constexpr std::string_view kCountWrong =
    "\xd0\xd0\xc3\xfc\xc1\xee\x20\xb4\xce\xca\xfd\x20\xb4\xed\xce\xf3\xa3\xa1\r\n";
// 提示信息：\r\n
inline constexpr std::string_view kHintHeader = "\xcc\xe1\xca\xbe\xd0\xc5\xcf\xa2\xa3\xba\r\n";
// 开始调试现行程序...\r\n
inline constexpr std::string_view kRunStarted =
    "\xbf\xaa\xca\xbc\xb5\xf7\xca\xd4\xcf\xd6\xd0\xd0\xb3\xcc\xd0\xf2...\r\n";
// 次：执行命令完毕！\r\n
inline constexpr std::string_view kPassDone =
    "\xb4\xce\xa3\xba\xd6\xb4\xd0\xd0\xc3\xfc\xc1\xee\xcd\xea\xb1\xcf\xa3\xa1\r\n";
// 程序调试完毕！\r\n
inline constexpr std::string_view kRunDone = "\xb3\xcc\xd0\xf2\xb5\xf7\xca\xd4\xcd\xea\xb1\xcf\xa3\xa1\r\n";
// 已停止调试程序！\r\n
inline constexpr std::string_view kRunStopped =
    "\xd2\xd1\xcd\xa3\xd6\xb9\xb5\xf7\xca\xd4\xb3\xcc\xd0\xf2\xa3\xa1\r\n";

inline constexpr std::string_view kCountKeyword = "\xb4\xce\xca\xfd";  // 次数
inline constexpr std::string_view kCountAlias = "count";
inline constexpr std::string_view kCommentStart = " //";
inline constexpr std::string_view kBodyOpen = "\xa1\xbe";   // 【
inline constexpr std::string_view kBodyClose = "\xa1\xbf";  // 】
inline constexpr std::string_view kQuoteName = "#\xd2\xfd\xba\xc5";  // #引号
inline constexpr std::string_view kRepeatKeyword = "\xd6\xd8\xb8\xb4";  // 重复
inline constexpr std::string_view kForwardKeyword = "\xc7\xb0\xbd\xf8";  // 前进
inline constexpr std::string_view kTurnLeftKeyword = "\xd7\xf3\xd7\xaa";  // 左转

}  // namespace dravel::messages
