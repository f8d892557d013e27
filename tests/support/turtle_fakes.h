// Turtles for tests, benchmarks and fuzz targets, both made from the one list
// of operations: one that records each call as a line of text, one that
// passes each call on through a single hook (to count, limit or gate the
// calls, or to drop them), and a RunCanvas over any turtle that honours the
// stop contract of a real canvas.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "canvas/run_canvas.h"
#include "canvas/turtle_operations.h"
#include "support/gbk_literals.h"

namespace dravel::testing {

class RecordingTurtle : public TurtleOperations {
 public:
#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) \
  void name parameters override { Record(#name, std::tuple arguments); }
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION

  // Each call as "Name arg arg", numbers as ToText writes them, texts in UTF-8.
  std::vector<std::string> Calls() const;
  // Blocks until at least `count` calls were recorded.
  void WaitForCalls(size_t count) const;

 private:
  template <typename... Arguments>
  void Record(std::string_view name, const std::tuple<Arguments...>& arguments) {
    std::string call(name);
    std::apply([&](const auto&... argument) { ((call += ' ' + Word(argument)), ...); }, arguments);
    Record(std::move(call));
  }
  void Record(std::string call);
  static std::string Word(double number);
  static std::string Word(std::string_view gbk_text);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> calls_;
};

// Passes each call on to `target` (with none, the call goes nowhere) through
// `Carry`, the one hook a subclass overrides.
class ForwardingTurtle : public TurtleOperations {
 public:
  explicit ForwardingTurtle(TurtleOperations* target = nullptr) : target_(target) {}

#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) \
  void name parameters override {                            \
    Carry([&] {                                              \
      if (target_) target_->name arguments;                  \
    });                                                      \
  }
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION
  void EndBatch() override {
    if (target_) target_->EndBatch();
  }

 protected:
  // Carries one call out; the default at once.
  virtual void Carry(const std::function<void()>& call) { call(); }

 private:
  TurtleOperations* target_;
};

// A ForwardingTurtle that counts the calls it passes on.
class CountingTurtle : public ForwardingTurtle {
 public:
  using ForwardingTurtle::ForwardingTurtle;
  int64_t Count() const { return count_; }

 protected:
  void Carry(const std::function<void()>& call) override {
    ++count_;
    call();
  }

 private:
  int64_t count_ = 0;
};

// A RunCanvas over `target`: a run's calls reach it under one lock, the one
// the driver's stop takes, and none once the run's session is stopped.
class FakeRunCanvas final : public RunCanvas {
 public:
  explicit FakeRunCanvas(TurtleOperations& target) : target_(target) {}

  std::unique_ptr<TurtleOperations> TurtleFor(const RunSession& session) override;
  void UnderDrawingLock(const std::function<void()>& step) override;

 private:
  TurtleOperations& target_;
  std::mutex mutex_;
};

}  // namespace dravel::testing
