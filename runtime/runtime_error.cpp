#include "runtime/runtime_error.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

const Text kHeading = SystemText("运行时出错!\r\n\r\n");
const Text kCodeLabel = SystemText("错误代码：");
const Text kMessageLabel = SystemText("错误信息：");
const Text kAllocate = SystemText("分配 ");
const Text kAllocateFailed = SystemText(" 字节内存失败!");

const Text kMessages[] = {
    SystemText("数组成员引用下标超出定义范围"),
    SystemText("未得到所需要的数值型数据"),
    SystemText("引用数组成员时维数不为1且不等于该数组目前所具有的维数"),
    SystemText("数组成员引用下标必须大于等于1"),
    SystemText("数据或数组类型不匹配"),
    SystemText("调用DLL命令后发现堆栈错误"),
    SystemText("子语句参数未返回数据或者返回了非系统基本类型或数组型数据"),
    SystemText("被比较数据只能使用等于或不等于命令比较"),
    SystemText("“多项选择”命令的索引值参数小于零或超出了所提供参数表范围"),
    SystemText("“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零"),
    SystemText("所提供参数的数据类型不符合要求"),
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

#ifndef DRAVEL_SANITIZED
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
  return kMessages[code - 1];
}

Text RuntimeErrorText(int code, std::string_view message) {
  Text text = kHeading;
  if (code != 0) text += kCodeLabel + std::to_string(code) + "\r\n\r\n";
  Text shown = message.empty() ? RuntimeErrorMessage(code) : Text(message);
  if (!shown.empty()) text += kMessageLabel + shown + "\r\n";
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
  ReportRuntimeError(0, kAllocate + std::to_string(bytes) + kAllocateFailed);
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

#ifndef DRAVEL_SANITIZED
// The program's allocation: as the standard one, with the failed size noted
// for the report. Blocks are freed by the standard operator delete (free).
void* operator new(std::size_t size) { return dravel::Allocate(size); }
void* operator new[](std::size_t size) { return dravel::Allocate(size); }
#endif
