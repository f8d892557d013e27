// The window as dravel-render stands it in: the editor, the run count box and
// the hint box as plain strings, the run button as a flag. Effects apply at
// once on the run thread, under one lock that a stop also takes, so nothing
// of a stopped run shows. The run button, the focus and the beep have nothing
// to show here.
#pragma once

#include <mutex>

#include "interpreter/run_host.h"

namespace dravel {

class RenderHost : public RunHost {
 public:
  RenderHost(Text script, Text run_count) : script_(std::move(script)), run_count_(std::move(run_count)) {}

  Text EditorText() override;
  Text RunCountText() override;
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token& run, const Text& text) override;
  void AppendHint(const std::stop_token& run, const Text& text) override;
  void SetRunCountText(const std::stop_token& run, const Text& text) override;
  void EnableRunButton(const std::stop_token&) override {}
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {}
  void StopUnderLock(const std::function<void()>& request_stop) override;

  Text Hint() const;

 private:
  mutable std::mutex mutex_;
  Text script_;
  Text run_count_;
  Text hint_;
};

}  // namespace dravel
