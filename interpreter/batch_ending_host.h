// BatchEndingHost: the host as a run's thread sees it. Before each effect it
// ends the turtle's batch, so the run never waits on the window (a full
// effect queue, a dialog) while it holds the canvas the window paints from.
#pragma once

#include "canvas/turtle_operations.h"
#include "interpreter/run_host.h"

namespace dravel {

class BatchEndingHost final : public RunHost {
 public:
  BatchEndingHost(RunHost& host, TurtleOperations& turtle) : host_(host), turtle_(turtle) {}

  Text EditorText() override { return Ended().EditorText(); }
  Text RunCountText() override { return Ended().RunCountText(); }
  void DisableRunButton() override { Ended().DisableRunButton(); }
  void ReplaceHint(const std::stop_token& run, const Text& text) override {
    Ended().ReplaceHint(run, text);
  }
  void AppendHint(const std::stop_token& run, const Text& text) override {
    Ended().AppendHint(run, text);
  }
  void SetRunCountText(const std::stop_token& run, const Text& text) override {
    Ended().SetRunCountText(run, text);
  }
  void EnableRunButton(const std::stop_token& run) override { Ended().EnableRunButton(run); }
  void FocusEditor(const std::stop_token& run) override { Ended().FocusEditor(run); }
  void Beep(const std::stop_token& run) override { Ended().Beep(run); }
  // The window paints while the run waits.
  void Delay(const std::stop_token& run, int ms) override { Ended().Delay(run, ms); }
  void PrepareText(const std::stop_token& run) override { Ended().PrepareText(run); }
  void ReportFailingLine(const std::stop_token& run, int script_line) override {
    Ended().ReportFailingLine(run, script_line);
  }
  void ReportFailingItem(const std::stop_token& run, int script_line, int body_item) override {
    Ended().ReportFailingItem(run, script_line, body_item);
  }
  void ReportExecutingLine(const std::stop_token& run, int script_line, int body_item) override {
    Ended().ReportExecutingLine(run, script_line, body_item);
  }
  void UnderEffectsLock(const std::function<void()>& step) override {
    Ended().UnderEffectsLock(step);
  }

 private:
  RunHost& Ended() {
    turtle_.EndBatch();
    return host_;
  }

  RunHost& host_;
  TurtleOperations& turtle_;
};

}  // namespace dravel
