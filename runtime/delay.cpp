#include "runtime/beep_delay.h"

#include <mutex>

#include "runtime/stop_wait.h"

namespace dravel {
namespace {

std::mutex hook_mutex;
BeepHook beep_hook;
DelayHook delay_hook;

template <typename Hook>
Hook CopyHook(const Hook& hook) {
  std::lock_guard lock(hook_mutex);
  return hook;
}

}  // namespace

void Beep() {
  if (BeepHook hook = CopyHook(beep_hook)) hook();
}

void SetBeepHook(BeepHook hook) {
  std::lock_guard lock(hook_mutex);
  beep_hook = std::move(hook);
}

void Delay(int ms, std::stop_token stop) {
  if (DelayHook hook = CopyHook(delay_hook)) {
    hook(ms, std::move(stop));
    return;
  }
  SleepUnlessStopped(std::chrono::milliseconds(ms), stop);
}

void SetDelayHook(DelayHook hook) {
  std::lock_guard lock(hook_mutex);
  delay_hook = std::move(hook);
}

}  // namespace dravel
