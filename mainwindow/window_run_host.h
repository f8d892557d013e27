// WindowRunHost: the run driver's view of the main window. Reads happen on the
// window's thread when a run starts. Every effect the run thread issues goes
// into one queue, in the order issued, and the window's thread applies them in
// short time slices, so a flood of messages never keeps it from the stop,
// clear and close buttons.
//
// An effect issued before its run's stop is shown, also when the window gets
// to it after the stop; one issued after is dropped. Stops are requested
// under the queue's lock (UnderEffectsLock), so every effect is on one side.
//
// The queue is bounded: a run that issues effects faster than the window
// takes them waits for the window, and a stop ends that wait at once.
// Consecutive appends of one run are joined into one.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "interpreter/run_host.h"

class QPushButton;

namespace dravel {

class EditBox;
class IntegerBox;

class WindowRunHost final : public RunHost {
 public:
  static constexpr size_t kQueuedBytes = size_t{1} << 20;
  static constexpr size_t kQueuedEffects = 4096;

  WindowRunHost(EditBox& editor, IntegerBox& run_count, EditBox& hint, QPushButton& run_button);

  Text EditorText() override;
  Text RunCountText() override;
  void DisableRunButton() override;

  void ReplaceHint(const std::stop_token& run, const Text& text) override;
  void AppendHint(const std::stop_token& run, const Text& text) override;
  void SetRunCountText(const std::stop_token& run, const Text& text) override;
  void EnableRunButton(const std::stop_token& run) override;
  void FocusEditor(const std::stop_token& run) override;
  void Beep(const std::stop_token& run) override;
  void Delay(const std::stop_token& run, int ms) override;
  void ReportFailingLine(const std::stop_token& run, int script_line) override;
  void ReportFailingItem(const std::stop_token& run, int script_line, int body_item) override;
  void ReportExecutingLine(const std::stop_token& run, int script_line, int body_item) override;
  void UnderEffectsLock(const std::function<void()>& step) override;

  // Receives the places runs fail at (`failing`) or stand at, in order with
  // the other effects; `body_item` is 0 outside a body.
  using LocationSink = std::function<void(int script_line, int body_item, bool failing)>;
  void SetLocationSink(LocationSink sink) { location_sink_ = std::move(sink); }
  // Called when the run button is enabled again: a run has ended.
  void SetEndSink(std::function<void()> sink) { end_sink_ = std::move(sink); }
  // What a beep sounds and how a delay line waits, set before a run starts
  // (a test counts or holds them); empty: the application's beep, a real wait.
  void SetBeepSound(std::function<void()> sound) { beep_sound_ = std::move(sound); }
  using DelayWait = std::function<void(const std::stop_token& run, int ms)>;
  void SetDelayWait(DelayWait wait) { delay_wait_ = std::move(wait); }

  // On the window's thread: applies everything queued, however long it takes;
  // for a window that waits for a run to return.
  void DeliverAll();

 private:
  enum class Kind {
    kReplaceHint,
    kAppendHint,
    kSetRunCount,
    kEnableRunButton,
    kFocusEditor,
    kBeep,
    kFailingLine,
    kRunningLine,
  };
  struct Effect {
    Kind kind;
    std::stop_token run;
    Text text;
    int line = 0;
    int item = 0;
  };

  void Push(Kind kind, const std::stop_token& run, const Text& text = {}, int line = 0,
            int item = 0);
  // Takes the next effect off the queue, or a first piece of a long append;
  // false when the queue is empty. Under mutex_.
  bool TakeNext(Effect& effect);
  // On the window's thread: applies what is queued for one time slice, and
  // asks to be called again while more is queued.
  void Deliver();
  void PostDelivery();  // under mutex_
  void Apply(const Effect& effect);

  // The window outlives every run: it ends the run before its controls go.
  EditBox& editor_;
  IntegerBox& run_count_;
  EditBox& hint_;
  QPushButton& run_button_;
  std::mutex mutex_;
  std::condition_variable_any room_;
  std::deque<Effect> queued_;
  size_t queued_bytes_ = 0;
  bool delivery_posted_ = false;
  LocationSink location_sink_;
  std::function<void()> end_sink_;
  std::function<void()> beep_sound_;
  DelayWait delay_wait_;
};

}  // namespace dravel
