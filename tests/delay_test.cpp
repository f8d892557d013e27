#include "runtime/delay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace dravel {
namespace {

using namespace std::chrono_literals;

TEST(Delay, NegativeOrZeroDoesNotWait) {
  auto done = std::async(std::launch::async, [] {
    Delay(-1);
    Delay(0);
    Delay(INT32_MIN);
  });
  EXPECT_EQ(done.wait_for(60s), std::future_status::ready);
}

TEST(Delay, StopCutsALongDelayShort) {
  std::stop_source stop;
  std::promise<void> started;
  auto done = std::async(std::launch::async, [&] {
    started.set_value();
    Delay(24 * 3600 * 1000, stop.get_token());
  });
  started.get_future().wait();
  stop.request_stop();
  // Generous: only a delay that ignores the stop would run this long.
  EXPECT_EQ(done.wait_for(60s), std::future_status::ready);
}

TEST(Delay, AlreadyStoppedTokenReturnsAtOnce) {
  std::stop_source stop;
  stop.request_stop();
  auto done = std::async(std::launch::async, [&] { Delay(INT32_MAX, stop.get_token()); });
  EXPECT_EQ(done.wait_for(60s), std::future_status::ready);
}

}  // namespace
}  // namespace dravel
