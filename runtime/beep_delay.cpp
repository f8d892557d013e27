#include "runtime/beep_delay.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

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

void Wait(int ms, std::stop_token stop) {
  if (ms <= 0) return;
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  // Nothing but the stop ends the wait early; the predicate ignores
  // spurious wake-ups.
  wake.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
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
  Wait(ms, std::move(stop));
}

void SetDelayHook(DelayHook hook) {
  std::lock_guard lock(hook_mutex);
  delay_hook = std::move(hook);
}

}  // namespace dravel
