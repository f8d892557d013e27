#include "runtime/runtime_error.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <unistd.h>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr std::string_view kHeading = "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed!\r\n\r\n";  // 运行时出错!
constexpr std::string_view kCodeLabel = "\xb4\xed\xce\xf3\xb4\xfa\xc2\xeb\xa3\xba";     // 错误代码：
constexpr std::string_view kMessageLabel = "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba";  // 错误信息：
constexpr std::string_view kAllocate = "\xb7\xd6\xc5\xe4 ";                             // 分配
constexpr std::string_view kAllocateFailed = " \xd7\xd6\xbd\xda\xc4\xda\xb4\xe6\xca\xa7\xb0\xdc!";  // 字节内存失败!

constexpr std::string_view kMessages[] = {
    // 1 数组成员引用下标超出定义范围
    "\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf\xc2\xb1\xea\xb3\xac\xb3\xf6\xb6\xa8"
    "\xd2\xe5\xb7\xb6\xce\xa7",
    // 2 未得到所需要的数值型数据
    "\xce\xb4\xb5\xc3\xb5\xbd\xcb\xf9\xd0\xe8\xd2\xaa\xb5\xc4\xca\xfd\xd6\xb5\xd0\xcd\xca\xfd"
    "\xbe\xdd",
    // 3 引用数组成员时维数不为1且不等于该数组目前所具有的维数
    "\xd2\xfd\xd3\xc3\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xca\xb1\xce\xac\xca\xfd\xb2\xbb\xce\xaa"
    "1\xc7\xd2\xb2\xbb\xb5\xc8\xd3\xda\xb8\xc3\xca\xfd\xd7\xe9\xc4\xbf\xc7\xb0\xcb\xf9\xbe\xdf"
    "\xd3\xd0\xb5\xc4\xce\xac\xca\xfd",
    // 4 数组成员引用下标必须大于等于1
    "\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf\xc2\xb1\xea\xb1\xd8\xd0\xeb\xb4\xf3"
    "\xd3\xda\xb5\xc8\xd3\xda" "1",
    // 5 数据或数组类型不匹配
    "\xca\xfd\xbe\xdd\xbb\xf2\xca\xfd\xd7\xe9\xc0\xe0\xd0\xcd\xb2\xbb\xc6\xa5\xc5\xe4",
    // 6 调用DLL命令后发现堆栈错误
    "\xb5\xf7\xd3\xc3" "DLL\xc3\xfc\xc1\xee\xba\xf3\xb7\xa2\xcf\xd6\xb6\xd1\xd5\xbb\xb4\xed"
    "\xce\xf3",
    // 7 子语句参数未返回数据或者返回了非系统基本类型或数组型数据
    "\xd7\xd3\xd3\xef\xbe\xe4\xb2\xce\xca\xfd\xce\xb4\xb7\xb5\xbb\xd8\xca\xfd\xbe\xdd\xbb\xf2"
    "\xd5\xdf\xb7\xb5\xbb\xd8\xc1\xcb\xb7\xc7\xcf\xb5\xcd\xb3\xbb\xf9\xb1\xbe\xc0\xe0\xd0\xcd"
    "\xbb\xf2\xca\xfd\xd7\xe9\xd0\xcd\xca\xfd\xbe\xdd",
    // 8 被比较数据只能使用等于或不等于命令比较
    "\xb1\xbb\xb1\xc8\xbd\xcf\xca\xfd\xbe\xdd\xd6\xbb\xc4\xdc\xca\xb9\xd3\xc3\xb5\xc8\xd3\xda"
    "\xbb\xf2\xb2\xbb\xb5\xc8\xd3\xda\xc3\xfc\xc1\xee\xb1\xc8\xbd\xcf",
    // 9 “多项选择”命令的索引值参数小于零或超出了所提供参数表范围
    "\xa1\xb0\xb6\xe0\xcf\xee\xd1\xa1\xd4\xf1\xa1\xb1\xc3\xfc\xc1\xee\xb5\xc4\xcb\xf7\xd2\xfd"
    "\xd6\xb5\xb2\xce\xca\xfd\xd0\xa1\xd3\xda\xc1\xe3\xbb\xf2\xb3\xac\xb3\xf6\xc1\xcb\xcb\xf9"
    "\xcc\xe1\xb9\xa9\xb2\xce\xca\xfd\xb1\xed\xb7\xb6\xce\xa7",
    // 10 “重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零
    "\xa1\xb0\xd6\xd8\xb6\xa8\xd2\xe5\xca\xfd\xd7\xe9\xa1\xb1\xc3\xfc\xc1\xee\xb5\xc4\xca\xfd"
    "\xd7\xe9\xce\xac\xb6\xa8\xd2\xe5\xb2\xce\xca\xfd\xd6\xb5\xb1\xd8\xd0\xeb\xb4\xf3\xd3\xda"
    "\xc1\xe3\xbb\xf2\xb5\xa5\xce\xac\xca\xb1\xb4\xf3\xd3\xda\xb5\xc8\xd3\xda\xc1\xe3",
    // 11 所提供参数的数据类型不符合要求
    "\xcb\xf9\xcc\xe1\xb9\xa9\xb2\xce\xca\xfd\xb5\xc4\xca\xfd\xbe\xdd\xc0\xe0\xd0\xcd\xb2\xbb"
    "\xb7\xfb\xba\xcf\xd2\xaa\xc7\xf3",
};

std::mutex hook_mutex;
RuntimeErrorHook error_hook;
std::function<void()> end_callback;
thread_local std::size_t failed_allocation = 0;

void WriteToStderr(std::string_view gbk_text) {
  std::string utf8 = GbkToUtf8(gbk_text);
  std::erase(utf8, '\r');
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

void ShowError(std::string_view gbk_text) {
  RuntimeErrorHook hook;
  {
    std::lock_guard lock(hook_mutex);
    hook = error_hook;
  }
  if (hook) {
    hook(gbk_text);
  } else {
    WriteToStderr(gbk_text);
  }
}

void OnAllocationFailure() {
  // A failure while reporting must not come back here.
  std::set_new_handler(nullptr);
  ReportAllocationFailure(failed_allocation);
}

#ifndef DRAVEL_SANITIZED_ALLOCATOR
void* Allocate(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (void* block = std::malloc(size)) return block;
    failed_allocation = size;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}
#endif

}  // namespace

Text RuntimeErrorMessage(int code) {
  if (code < 1 || code > static_cast<int>(std::size(kMessages))) return {};
  return Text(kMessages[code - 1]);
}

Text RuntimeErrorText(int code, std::string_view message) {
  Text text(kHeading);
  if (code != 0) text += Text(kCodeLabel) + std::to_string(code) + "\r\n\r\n";
  Text shown = message.empty() ? RuntimeErrorMessage(code) : Text(message);
  if (!shown.empty()) text += Text(kMessageLabel) + shown + "\r\n";
  return text;
}

void SetRuntimeErrorHook(RuntimeErrorHook hook) {
  std::lock_guard lock(hook_mutex);
  error_hook = std::move(hook);
}

void ReportRuntimeError(int code, std::string_view message) {
  ShowError(RuntimeErrorText(code, message));
  ExitProgram(-1);
}

void ReportAllocationFailure(std::size_t bytes) {
  ReportRuntimeError(0, Text(kAllocate) + std::to_string(bytes) + Text(kAllocateFailed));
}

void InitRuntime() { std::set_new_handler(OnAllocationFailure); }

void SetEndCallback(std::function<void()> callback) {
  std::lock_guard lock(hook_mutex);
  end_callback = std::move(callback);
}

void ExitProgram(int code) {
  // The first caller runs the end routine and ends the process; a second
  // thread waits here for that end. A call from inside the end routine
  // ends the process at once.
  static std::mutex exit_mutex;
  thread_local bool exiting = false;
  if (!exiting) {
    exiting = true;
    exit_mutex.lock();
    std::function<void()> callback;
    {
      std::lock_guard lock(hook_mutex);
      callback = std::move(end_callback);
      end_callback = nullptr;
    }
    if (callback) callback();
  }
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace dravel

#ifndef DRAVEL_SANITIZED_ALLOCATOR
// The program's allocation: as the standard one, with the failed size noted
// for the report. Blocks are freed by the standard operator delete (free).
void* operator new(std::size_t size) { return dravel::Allocate(size); }
void* operator new[](std::size_t size) { return dravel::Allocate(size); }
#endif
