#include "interpreter/run_driver.h"

#include "interpreter/batch_ending_host.h"
#include "interpreter/messages.h"

namespace dravel {
namespace {

constexpr std::chrono::milliseconds kReturnGrace(100);

}  // namespace

RunDriver::RunDriver(RunHost& host, RunCanvas& canvas) : host_(host), canvas_(canvas) {}

RunDriver::~RunDriver() {
  EndCurrentRun();
  current_run_.reset();
}

bool RunDriver::StartRun() {
  if (current_run_ != nullptr) {
    // A run that enabled the button may still be returning; one that does not
    // return soon, and was not ended, is in progress.
    if (!current_run_->Ended() && !current_run_->Wait(kReturnGrace)) return false;
    // Its thread is done or stopping; waiting for it keeps one run thread at
    // a time, and it never waits for the window.
    current_run_.reset();
  }
  host_.DisableRunButton();
  RunInput input{host_.EditorText(), host_.RunCountText()};
  current_run_ =
      StartThread([this, input = std::move(input), keep_delays = keep_delays_](
                      const RunSession& session) { RunThreadMain(session, input, keep_delays); });
  if (current_run_ != nullptr) return true;
  host_.EnableRunButton({});
  return false;
}

bool RunDriver::StopRun() {
  if (!EndCurrentRun()) return false;
  host_.AppendHint({}, Text(messages::kRunStopped));
  host_.EnableRunButton({});
  return true;
}

bool RunDriver::WaitForRun(std::optional<std::chrono::milliseconds> timeout) {
  return WaitForThread(current_run_, timeout);
}

bool RunDriver::Running() const { return current_run_ != nullptr && current_run_->Running(); }

void RunDriver::RunThreadMain(const RunSession& session, const RunInput& input, bool keep_delays) {
  const std::unique_ptr<TurtleOperations> turtle = canvas_.TurtleFor(session);
  // The window may wait for the canvas while it takes an effect.
  BatchEndingHost host(host_, *turtle);
  RunContext context{*turtle, host, session.Token()};
  context.pacer = pacer_;
  context.keep_delays = keep_delays;
  RunScript(input, context);
}

bool RunDriver::EndCurrentRun() {
  // The thread is marked ended before its session is stopped (EndThread): a
  // stopped run may return at once, and must not count as one that ended by
  // itself.
  return EndThread(current_run_, [this](const std::function<void()>& stop) {
    host_.UnderEffectsLock([&] { canvas_.UnderDrawingLock(stop); });
  });
}

}  // namespace dravel
