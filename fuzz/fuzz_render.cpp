// Runs arbitrary bytes as a script through the real interpreter on a real
// 64 x 48 canvas, once in each edge mode, with a work budget: one step per
// command, per hint message and per chord of a circle, and when the next call
// would pass the budget the run is stopped as the stop button does it. Checks
// what every run must leave: a well-formed hint box and an enabled run button
// when it ended by itself, and after a stop a canvas and a turtle that no
// later call of the run changed. Delays do not wait; repeat and pass counts
// above 99 become 99, since a repeat of comment lines does no counted work.
#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <tuple>
#include <vector>

#include "canvas/bundled_font.h"
#include "canvas/canvas_core.h"
#include "canvas/turtle_model.h"
#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "interpreter/run_driver.h"
#include "runtime/value.h"

namespace dravel {
namespace {

constexpr uint64_t kBudget = 2000;
constexpr int32_t kMostCount = 99;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The steps spent by one run, and the canvas as it was when the budget
// stopped it.
class Budget {
 public:
  Budget(CanvasCore& canvas, RunSession& session) : canvas_(canvas), session_(session) {}

  // The host applies effects on the run's own thread, so the drawing lock is
  // the only one the stop needs.
  void Spend(uint64_t steps) {
    used_ += steps;
    if (used_ <= kBudget || stopped_) return;
    canvas_.UnderDrawingLock([this] { session_.Stop(); });
    stopped_ = true;
    auto canvas = canvas_.Lock();
    ink_at_stop_ = PixelImage::Of(canvas->InkLayer()).pixels;
    turtle_at_stop_ = canvas->StateOf(canvas->CurrentTurtle());
  }

  bool stopped() const { return stopped_; }
  void CheckNothingChangedSinceTheStop() const {
    if (!stopped_) return;
    auto canvas = canvas_.Lock();
    Check(PixelImage::Of(canvas->InkLayer()).pixels == ink_at_stop_);
    const TurtleState turtle = canvas->StateOf(canvas->CurrentTurtle());
    Check(std::memcmp(&turtle, &turtle_at_stop_, sizeof turtle) == 0);
  }

 private:
  CanvasCore& canvas_;
  RunSession& session_;
  uint64_t used_ = 0;
  bool stopped_ = false;
  std::vector<uint32_t> ink_at_stop_;
  TurtleState turtle_at_stop_;
};

// One step per chord of an arc, as the model cuts it.
uint64_t ArcSteps(double radius_x, double radius_y) {
  return std::min<uint64_t>(ArcChords(radius_x, radius_y), kBudget) + 1;
}

// The steps of one call: one, an arc's chords, a rectangle's four sides.
uint64_t Steps(std::string_view, std::tuple<>) { return 1; }
uint64_t Steps(std::string_view, std::tuple<std::string_view>) { return 1; }
uint64_t Steps(std::string_view name, std::tuple<double> a) {
  return name == "Circle" ? ArcSteps(std::get<0>(a), std::get<0>(a)) : 1;
}
uint64_t Steps(std::string_view name, std::tuple<double, double> a) {
  if (name == "Ellipse") return ArcSteps(std::get<0>(a), std::get<1>(a));
  return name == "Rectangle" ? 4 : 1;
}

// Spends first, so a call past the budget reaches the canvas after the stop:
// it must then change nothing.
class BudgetTurtle final : public TurtleOperations {
 public:
  BudgetTurtle(TurtleOperations& turtle, Budget& budget) : turtle_(turtle), budget_(budget) {}

#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) \
  void name parameters override {                            \
    budget_.Spend(Steps(#name, std::tuple arguments));       \
    turtle_.name arguments;                                  \
  }
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION
  void EndBatch() override { turtle_.EndBatch(); }

 private:
  TurtleOperations& turtle_;
  Budget& budget_;
};

// Applies effects only while the run is not stopped, as every host must.
class BudgetHost final : public RunHost {
 public:
  explicit BudgetHost(Budget& budget) : budget_(budget) {}
  Text EditorText() override { return {}; }
  Text RunCountText() override { return "1"; }
  void DisableRunButton() override { enabled_ = false; }
  void ReplaceHint(const std::stop_token& run, const Text& text) override {
    if (Apply(run)) hint_ = text;
  }
  void AppendHint(const std::stop_token& run, const Text& text) override {
    if (Apply(run)) hint_ += text;
  }
  void SetRunCountText(const std::stop_token&, const Text&) override {}
  void EnableRunButton(const std::stop_token& run) override {
    if (Apply(run)) enabled_ = true;
  }
  void FocusEditor(const std::stop_token&) override {}
  void Beep(const std::stop_token&) override {}
  void Delay(const std::stop_token&, int) override {}  // delays do not wait

  const Text& hint() const { return hint_; }
  bool enabled() const { return enabled_; }

 private:
  bool Apply(const std::stop_token& run) {
    if (run.stop_requested()) return false;
    budget_.Spend(1);
    return !run.stop_requested();
  }

  Budget& budget_;
  Text hint_;
  bool enabled_ = false;
};

// Whole lines: the two opening lines, pass reports, then the closing
// message or one numbered message.
void CheckHint(const Text& hint) {
  Text opening(messages::kHintHeader);
  opening += messages::kRunStarted;
  Check(hint.starts_with(opening));
  std::vector<std::string_view> lines;
  const std::string_view rest = std::string_view(hint).substr(opening.size());
  for (size_t start = 0; start < rest.size();) {
    const size_t end = rest.find("\r\n", start);
    Check(end != std::string_view::npos);
    lines.push_back(rest.substr(start, end + 2 - start));
    start = end + 2;
  }
  Check(!lines.empty());
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    Check(lines[i].starts_with(messages::kLinePrefix) && lines[i].ends_with(messages::kPassDone));
  }
  const std::string_view last = lines.back();
  Check(last == messages::kRunDone || last.starts_with(messages::kLinePrefix) ||
        last.starts_with(messages::kStoppedByPrefix));
}

bool IsCountLine(const std::vector<Text>& words) {
  if (words[0] == CountCommand().keyword || words[0] == CountCommand().alias) return true;
  const CommandRow* row = FindCommand(words[0]);
  return row != nullptr && row->action == CommandAction::kRepeat;
}

// Repeat and pass counts above kMostCount become kMostCount; every other
// byte stays as it was.
Text CapCounts(const Text& script) {
  Text capped;
  for (const Text& line : SplitLines(script)) {
    std::vector<Text> words = SplitWords(line);
    if (words.size() >= 2 && IsCountLine(words) && ToInteger(words[1]) > kMostCount) {
      const size_t at = words[0].size() + 1;
      capped += line.substr(0, at) + ToText(kMostCount) + line.substr(at + words[1].size());
    } else {
      capped += line;
    }
    capped += "\r\n";
  }
  return capped;
}

void RunInEdgeMode(const Text& script, EdgeMode mode) {
  const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(64, 48);
  canvas->Lock()->SetEdgeMode(mode);
  canvas->Lock()->SetTextPainter(BundledTextPainter());
  canvas->Lock()->KeepRecord(true);
  RunSession session;
  const std::unique_ptr<TurtleOperations> session_turtle = canvas->TurtleFor(session);
  Budget budget(*canvas, session);
  BudgetTurtle turtle(*session_turtle, budget);
  BudgetHost host(budget);
  RunContext context{turtle, host, session.Token()};
  RunScript({script, "1"}, context);
  budget.CheckNothingChangedSinceTheStop();
  if (budget.stopped()) return;
  Check(host.enabled());
  CheckHint(host.hint());
}

}  // namespace
}  // namespace dravel

// Fontconfig keeps what it allocates for a font lookup in caches of its own
// that it never frees before exit; the text command makes the first lookup
// for each new character, which libFuzzer would take for a leak of that input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication application(*argc, *argv);  // fonts for the text command
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dravel;
  const Text script = CapCounts(ScriptFromFileBytes(std::span<const unsigned char>(data, size)));
  for (EdgeMode mode : {EdgeMode::Wrap, EdgeMode::Fence, EdgeMode::Unbounded}) {
    RunInEdgeMode(script, mode);
  }
  return 0;
}
