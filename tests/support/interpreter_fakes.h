// Fakes for the interpreter's two seams: a turtle that records each operation
// as one line of text, and a host that keeps the hint box, the run count box
// and the run button as plain values. Both honour the stop contract (effects
// of a stopped run are dropped under the same lock that the stop takes), and
// both let a test wait for a number of effects instead of sleeping.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "canvas/turtle_operations.h"
#include "interpreter/run_host.h"
#include "runtime/gbk_codec.h"

namespace dravel::testing {

inline Text Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }
inline std::string Utf8(std::string_view gbk) { return GbkToUtf8(gbk); }

class RecordingTurtle : public TurtleOperations {
 public:
  void Forward(double distance) override { Record("Forward", distance); }
  void Back(double distance) override { Record("Back", distance); }
  void TurnLeft(double degrees) override { Record("TurnLeft", degrees); }
  void TurnRight(double degrees) override { Record("TurnRight", degrees); }
  void Home() override { Record("Home"); }
  void Clear() override { Record("Clear"); }
  void Circle(double radius) override { Record("Circle", radius); }
  void PenUp() override { Record("PenUp"); }
  void PenDown() override { Record("PenDown"); }
  void Ellipse(double radius_x, double radius_y) override { Record("Ellipse", radius_x, radius_y); }
  void Rectangle(double width, double height) override { Record("Rectangle", width, height); }
  void SetX(double x) override { Record("SetX", x); }
  void SetY(double y) override { Record("SetY", y); }
  void SetXY(double x, double y) override { Record("SetXY", x, y); }
  void Show() override { Record("Show"); }
  void Hide() override { Record("Hide"); }
  void WriteText(std::string_view gbk_text) override;
  void SetStopToken(std::stop_token token) override;
  void StopUnderLock(const std::function<void()>& request_stop) override;

  // Each call as "Name arg arg", numbers as ToText writes them, texts in UTF-8.
  std::vector<std::string> Calls() const;
  // Blocks until at least `count` calls were recorded.
  void WaitForCalls(size_t count) const;

 private:
  void Record(std::string call);
  void Record(std::string_view name, double a);
  void Record(std::string_view name, double a, double b);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::stop_token stop_;
  std::vector<std::string> calls_;
};

class RecordingHost : public RunHost {
 public:
  explicit RecordingHost(Text editor = {}, Text run_count = "1")
      : editor_(std::move(editor)), run_count_(std::move(run_count)) {}

  Text EditorText() override;
  Text RunCountText() override;
  void DisableRunButton() override;
  void ReplaceHint(const std::stop_token& run, const Text& text) override;
  void AppendHint(const std::stop_token& run, const Text& text) override;
  void SetRunCountText(const std::stop_token& run, const Text& text) override;
  void EnableRunButton(const std::stop_token& run) override;
  void FocusEditor(const std::stop_token& run) override;
  void Beep(const std::stop_token& run) override;
  void ReportFailingLine(const std::stop_token& run, int script_line) override;
  void StopUnderLock(const std::function<void()>& request_stop) override;

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

}  // namespace dravel::testing
