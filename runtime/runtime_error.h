// The run-time error report and the end of the program: a failure inside the
// runtime itself (an index out of range, a failed allocation) shows one
// dialog and ends the process with -1. The dialog is shown through a hook so
// the window can use a message box; without one the text goes to stderr.
// The program does not change its working directory at start-up: relative
// names resolve against the directory it was started from.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "runtime/text.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DRAVEL_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define DRAVEL_SANITIZED_ALLOCATOR 1
#endif
#endif

namespace dravel {

// GBK caption of the error dialog ("错误").
inline constexpr std::string_view kRuntimeErrorCaption = "\xb4\xed\xce\xf3";

// Messages the window layer reports with code 0 (GBK).
inline constexpr std::string_view kWindowNotLoadedForAccess =
    "\xce\xb4\xd4\xd8\xc8\xeb\xd3\xfb\xb7\xc3\xce\xca\xb4\xb0\xbf\xda\xd7\xe9"
    "\xbc\xfe\xcb\xf9\xd4\xda\xb5\xc4\xb4\xb0\xbf\xda";  // 未载入欲访问窗口组件所在的窗口
inline constexpr std::string_view kWindowNotYetLoaded =
    "\xd6\xb8\xb6\xa8\xb4\xb0\xbf\xda\xc9\xd0\xce\xb4\xd4\xd8\xc8\xeb";  // 指定窗口尚未载入
inline constexpr std::string_view kStartWindowLoadFailed =
    "\xd4\xd8\xc8\xeb\xc6\xf4\xb6\xaf\xb4\xb0\xbf\xda\xca\xa7\xb0\xdc";  // 载入启动窗口失败

// The array-index errors the program's own code raises.
inline constexpr int kErrorIndexAboveCount = 1;
inline constexpr int kErrorIndexBelowOne = 4;

// The GBK message of error `code` 1..11, or the empty text.
Text RuntimeErrorMessage(int code);

// The dialog text: the heading, the code line when `code` is not 0 and the
// message line when the message (or, when empty, the code's table entry) is
// not empty.
Text RuntimeErrorText(int code, std::string_view message = {});

// Receives the GBK dialog text; called on the thread that raised the error.
using RuntimeErrorHook = std::function<void(std::string_view gbk_text)>;
void SetRuntimeErrorHook(RuntimeErrorHook hook);

// Shows the dialog for `code` (and `message`, when given) and ends the
// program with -1.
[[noreturn]] void ReportRuntimeError(int code, std::string_view message = {});

// Reports "分配 %d 字节内存失败!" for `bytes` and ends the program.
[[noreturn]] void ReportAllocationFailure(std::size_t bytes);

// Installs the allocation-failure report as the new-handler. The program's
// operator new notes the size it failed to get before the handler runs, so
// the report names it (except under a sanitizer, whose allocator is its own).
void InitRuntime();

// Registers the routine that ExitProgram runs once before the process ends.
void SetEndCallback(std::function<void()> callback);

// Runs the end routine (once, however many threads call this), flushes the
// standard streams and ends the process with `code` without running static
// destructors, which other threads may still be using.
[[noreturn]] void ExitProgram(int code);

}  // namespace dravel
