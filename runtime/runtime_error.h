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

#include "runtime/sanitized_build.h"
#include "runtime/system_text.h"
#include "runtime/text.h"

namespace dravel {

// The error dialog's caption and the messages the window layer reports with
// code 0 (GBK).
inline const Text kRuntimeErrorCaption = SystemText("错误");
inline const Text kWindowNotLoadedForAccess = SystemText("未载入欲访问窗口组件所在的窗口");
inline const Text kWindowNotYetLoaded = SystemText("指定窗口尚未载入");
inline const Text kStartWindowLoadFailed = SystemText("载入启动窗口失败");

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
