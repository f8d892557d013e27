// SilentHost: the host of a run whose drawing alone is wanted (the pictures
// of the examples and of the reference's lines): it gives the script and a
// run count of 1, and drops every message.
#pragma once

#include <chrono>
#include <utility>

#include "interpreter/run_host.h"

namespace dravel {

// Such a picture's run is stopped here however long its script would go on:
// a guard against a runaway script, far above what an example needs.
inline constexpr std::chrono::milliseconds kLongestPictureRun(2000);

class SilentHost : public RunHost {
 public:
  explicit SilentHost(Text script) : script_(std::move(script)) {}
  Text EditorText() override { return script_; }
  Text RunCountText() override { return "1"; }
  void DisableRunButton() override {}
  void ReplaceHint(const std::stop_token&, const Text&) override {}
  void AppendHint(const std::stop_token&, const Text&) override {}
  void SetRunCountText(const std::stop_token&, const Text&) override {}
  void EnableRunButton(const std::stop_token&) override {}
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {}

 private:
  Text script_;
};

}  // namespace dravel
