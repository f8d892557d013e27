// The window's side of a run on its own: effects from the run thread arrive
// in order, joined where they can be, and a stopped run's effects never show.
#include <QPushButton>
#include <atomic>
#include <thread>

#include "mainwindow/edit_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/window_run_host.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

class WindowRunHostTest : public ::testing::Test {
 protected:
  static void Drain() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  EditBox editor_;
  IntegerBox run_count_;
  EditBox hint_;
  QPushButton run_button_;
  WindowRunHost host_{editor_, run_count_, hint_, run_button_};
};

TEST_F(WindowRunHostTest, EffectsFromTheRunThreadArriveInOrder) {
  std::stop_source run;
  host_.DisableRunButton();
  std::thread([&] {
    host_.ReplaceHint(run.get_token(), "H\r\n");
    for (int i = 0; i < 1000; ++i) host_.AppendHint(run.get_token(), std::to_string(i % 10));
    host_.SetRunCountText(run.get_token(), "1");
    host_.AppendHint(run.get_token(), "!");
    host_.EnableRunButton(run.get_token());
  }).join();
  EXPECT_FALSE(run_button_.isEnabled());  // nothing shows before the window's loop runs
  Drain();
  Text expected = "H\r\n";
  for (int i = 0; i < 1000; ++i) expected += std::to_string(i % 10);
  EXPECT_EQ(hint_.Content(), expected + "!");
  EXPECT_EQ(run_count_.Content(), "1");
  EXPECT_TRUE(run_button_.isEnabled());
}

// The window gets to the effects only after the stop: those the run issued
// before it still show, in order, before the stop's own message.
TEST_F(WindowRunHostTest, EffectsIssuedBeforeAStopShowAndLaterOnesDoNot) {
  std::stop_source stopped;
  std::stop_source next;
  hint_.SetContent("H");
  host_.DisableRunButton();
  std::thread([&] {
    host_.AppendHint(stopped.get_token(), "a");
    host_.AppendHint(stopped.get_token(), "b");
  }).join();
  host_.UnderEffectsLock([&] { stopped.request_stop(); });
  std::thread([&] {
    host_.AppendHint(stopped.get_token(), "late");
    host_.EnableRunButton(stopped.get_token());
  }).join();
  host_.AppendHint({}, "s");
  host_.AppendHint(next.get_token(), "n");
  Drain();
  EXPECT_EQ(hint_.Content(), "Habsn");
  EXPECT_FALSE(run_button_.isEnabled());
}

// A run that issues more than the window takes waits for it, holding no more
// than the bound; a stop ends the wait at once.
TEST_F(WindowRunHostTest, ARunWaitsForABusyWindowUntilStopped) {
  std::stop_source run;
  std::atomic<int> issued{0};
  std::thread flood([&] {
    const Text line(99, 'x');
    while (!run.stop_requested()) {
      host_.AppendHint(run.get_token(), line + "\r\n");
      ++issued;
    }
  });
  const int bound = int(WindowRunHost::kQueuedBytes / 101) + 1;
  while (issued.load() < bound - 1) std::this_thread::yield();
  for (int i = 0; i < 10000; ++i) std::this_thread::yield();
  EXPECT_LE(issued.load(), bound);
  Drain();  // the window takes what is queued; the run goes on by as much
  host_.UnderEffectsLock([&] { run.request_stop(); });
  flood.join();
  EXPECT_GT(issued.load(), bound);
  EXPECT_FALSE(hint_.Content().empty());
}

}  // namespace
}  // namespace dravel::testing
