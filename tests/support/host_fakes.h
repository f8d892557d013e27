// Hosts for tests, benchmarks and fuzz targets: one that keeps the hint box,
// the run count box and the run button as plain values, records every
// effect and lets a test take the delay lines' waits, and one that keeps only the script (a
// benchmark's or a fuzz target's), with a hook on each effect. Both honour the stop contract:
// effects of a stopped run are dropped under the lock the stop takes.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "interpreter/run_host.h"

namespace dravel::testing {

class RecordingHost : public RunHost {
 public:
  explicit RecordingHost(Text editor = {}, Text run_count = "1")
      : editor_(std::move(editor)), run_count_(std::move(run_count)) {}

  // When set, a delay line calls it instead of waiting.
  std::function<void(const std::stop_token& run, int ms)> on_delay;

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
  void UnderEffectsLock(const std::function<void()>& step) override;

  void SetEditorText(Text text);
  std::string HintUtf8() const;  // the hint box in UTF-8
  Text Hint() const;
  Text RunCount() const;
  bool RunButtonEnabled() const;
  // Effects in order: "hint", "append", "count", "enable", "focus", "beep", "line N".
  std::vector<std::string> Effects() const;
  // Blocks until at least `count` effects were applied.
  void WaitForEffects(size_t count) const;

 private:
  // Applies `effect` unless `run` was stopped; under the lock.
  template <typename Effect>
  void Apply(const std::stop_token& run, std::string name, Effect effect);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  Text editor_;
  Text run_count_;
  Text hint_;
  bool run_button_enabled_ = true;
  std::vector<std::string> effects_;
};

// Keeps the script and the run count box; every effect of a run not stopped
// calls `on_effect` (when set) under the host's lock, with the text it
// carries (hint texts; empty for the others).
class ScriptHost : public RunHost {
 public:
  explicit ScriptHost(Text script = {}, Text run_count = "1")
      : script_(std::move(script)), run_count_(std::move(run_count)) {}

  std::function<void(const Text& text)> on_effect;

  Text EditorText() override { return script_; }
  Text RunCountText() override { return run_count_; }
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token& run, const Text& text) override { Effect(run, text); }
  void AppendHint(const std::stop_token& run, const Text& text) override { Effect(run, text); }
  void SetRunCountText(const std::stop_token& run, const Text&) override { Effect(run, {}); }
  void EnableRunButton(const std::stop_token& run) override { Effect(run, {}); }
  void FocusEditor(const std::stop_token& run) override { Effect(run, {}); }
  void Beep(const std::stop_token& run) override { Effect(run, {}); }
  void UnderEffectsLock(const std::function<void()>& step) override {
    std::lock_guard lock(mutex_);
    step();
  }

 private:
  void Effect(const std::stop_token& run, const Text& text) {
    std::lock_guard lock(mutex_);
    if (!run.stop_requested() && on_effect) on_effect(text);
  }

  std::mutex mutex_;
  Text script_;
  Text run_count_;
};

}  // namespace dravel::testing
