// Runs arbitrary bytes as a script, as the run button does, and checks what
// every run must leave: the run button enabled, the hint box starting with
// its two opening lines, then pass reports, then either the closing message
// or exactly one numbered message. Counts are cut to two digits so that a
// run stays short; delays do not wait.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "interpreter/run_driver.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

class CheckingHost final : public RunHost {
 public:
  Text EditorText() override { return {}; }
  Text RunCountText() override { return "1"; }
  void DisableRunButton() override { enabled_ = false; }
  void ReplaceHint(const std::stop_token&, const Text& text) override { hint_ = text; }
  void AppendHint(const std::stop_token&, const Text& text) override { hint_ += text; }
  void SetRunCountText(const std::stop_token&, const Text&) override {}
  void EnableRunButton(const std::stop_token&) override { enabled_ = true; }
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {}
  void Delay(const std::stop_token&, int) override {}  // delays do not wait

  const Text& hint() const { return hint_; }
  bool enabled() const { return enabled_; }

 private:
  Text hint_;
  bool enabled_ = false;
};

Text CutLongNumbers(std::string_view text) {
  Text cut;
  int digits = 0;
  for (char byte : text) {
    digits = byte >= '0' && byte <= '9' ? digits + 1 : 0;
    if (digits <= 2) cut += byte;
  }
  return cut;
}

void CheckHint(const Text& hint) {
  Text opening(messages::kHintHeader);
  opening += messages::kRunStarted;
  if (!hint.starts_with(opening)) std::abort();
  const std::string_view rest = std::string_view(hint).substr(opening.size());
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < rest.size();) {
    const size_t end = rest.find("\r\n", start);
    if (end == std::string_view::npos) std::abort();
    lines.push_back(rest.substr(start, end + 2 - start));
    start = end + 2;
  }
  if (lines.empty()) std::abort();
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (!lines[i].starts_with(messages::kLinePrefix) || !lines[i].ends_with(messages::kPassDone)) {
      std::abort();
    }
  }
  const std::string_view last = lines.back();
  if (last != messages::kRunDone && !last.starts_with(messages::kLinePrefix) &&
      !last.starts_with(messages::kStoppedByPrefix)) {
    std::abort();
  }
}

}  // namespace
}  // namespace dravel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dravel;
  const Text script = CutLongNumbers(
      FoldFullWidth(ScriptFromFileBytes(std::span<const unsigned char>(data, size))));
  testing::ForwardingTurtle turtle;  // draws nothing
  CheckingHost host;
  RunContext context{turtle, host, {}};
  RunScript({script, "1"}, context);
  if (!host.enabled()) std::abort();
  CheckHint(host.hint());
  return 0;
}
