// The window's side of a run on its own: effects from the run thread arrive
// in order, joined where they can be, and a stopped run's effects never show.
#include <QPushButton>
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

TEST_F(WindowRunHostTest, AStoppedRunsEffectsAreDroppedButTheWindowsAreNot) {
  std::stop_source stopped;
  std::stop_source next;
  hint_.SetContent("H");
  host_.DisableRunButton();
  std::thread([&] {
    host_.AppendHint(stopped.get_token(), "a");
    host_.EnableRunButton(stopped.get_token());
  }).join();
  stopped.request_stop();
  host_.AppendHint({}, "s");
  host_.AppendHint(next.get_token(), "n");
  Drain();
  EXPECT_EQ(hint_.Content(), "Hsn");
  EXPECT_FALSE(run_button_.isEnabled());
}

}  // namespace
}  // namespace dravel::testing
