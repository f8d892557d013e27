// The run driver: one run of the editor's script from the run button to its
// last message. `RunDriver` starts `RunScript` (run_script.h) on a run thread
// with a session of its own (`StartRun`) and ends it from the window
// (`StopRun`). The window is reached
// only through a RunHost, the canvas only through a RunCanvas.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "canvas/run_canvas.h"
#include "interpreter/run_host.h"
#include "interpreter/run_script.h"
#include "runtime/run_thread.h"

namespace dravel {

class RunDriver {
 public:
  RunDriver(RunHost& host, RunCanvas& canvas);
  // Ends a run in progress, silently, and waits for its thread.
  ~RunDriver();
  RunDriver(const RunDriver&) = delete;
  RunDriver& operator=(const RunDriver&) = delete;

  // Run button, on the window's thread: disables the button, reads the editor
  // and the run count box and starts the run thread. Refused (false) while a
  // run is in progress; a stopped run's thread is waited for first, as is one
  // that has issued its last effect and is returning. When no thread can be
  // started, the button is enabled again and it gives false.
  bool StartRun();
  // Stop button, on the window's thread: true when it ended a run in
  // progress, which it reports in the hint box; otherwise nothing changes.
  // Once it returns true the run draws nothing and says nothing more.
  bool StopRun();
  // Whether a run is in progress: started, and neither ended by itself nor
  // stopped.
  bool Running() const;
  // Waits until the current run's thread has returned, at most `timeout`;
  // true when it has (or there is no run). For headless hosts and tests.
  bool WaitForRun(std::optional<std::chrono::milliseconds> timeout = {});
  // Paces the runs started from now on (null: none). The pacer must outlive them.
  void SetPacer(RunPacer* pacer) { pacer_ = pacer; }
  // Whether the runs started from now on wait at 延时 (a final picture needs
  // no waits).
  void SetKeepDelays(bool keep) { keep_delays_ = keep; }

 private:
  void RunThreadMain(const RunSession& session, const RunInput& input, bool keep_delays);
  // The stop: under the effects lock and the drawing lock, the thread is
  // marked ended and the session stopped. True when a run was in progress.
  bool EndCurrentRun();

  RunHost& host_;
  RunCanvas& canvas_;
  RunPacer* pacer_ = nullptr;
  bool keep_delays_ = true;
  ThreadReference current_run_;
};

}  // namespace dravel
