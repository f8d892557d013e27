#include "runtime/delay.h"

#include <chrono>

#include "runtime/stop_wait.h"

namespace dravel {

void Delay(int ms, const std::stop_token& stop) {
  SleepUnlessStopped(std::chrono::milliseconds(ms), stop);
}

}  // namespace dravel
