// The beep and the delay commands. Both go through replaceable hooks: the
// window sets the beep (headless runs stay silent), tests and fuzzers set
// the delay so that scripts run without sleeping.
#pragma once

#include <functional>
#include <stop_token>

namespace dravel {

using BeepHook = std::function<void()>;
using DelayHook = std::function<void(int ms, std::stop_token stop)>;

// Sounds the beep through the hook, if any, and returns.
void Beep();
void SetBeepHook(BeepHook hook);

// Waits `ms` milliseconds on the calling thread, or less when `stop` is
// requested meanwhile (it then returns at once). A negative `ms` waits not
// at all.
void Delay(int ms, std::stop_token stop = {});

// Replaces the waiting of `Delay` (an empty hook restores real waiting).
void SetDelayHook(DelayHook hook);

}  // namespace dravel
