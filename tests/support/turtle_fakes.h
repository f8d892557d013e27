// Turtles for tests, benchmarks and fuzz targets: one that records each call
// as a line of text, one that passes each call on through a single hook
// (to count, limit or gate the calls, or to drop them), and a RunCanvas over
// any turtle that honours the stop contract of a real canvas.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "canvas/run_canvas.h"
#include "canvas/turtle_operations.h"
#include "support/gbk_literals.h"

namespace dravel::testing {

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
  std::vector<std::string> calls_;
};

// Passes each call on to `target` (with none, the call goes nowhere) through
// `Carry`, the one hook a subclass overrides.
class ForwardingTurtle : public TurtleOperations {
 public:
  explicit ForwardingTurtle(TurtleOperations* target = nullptr) : target_(target) {}

  void Forward(double d) override {
    Carry([&] {
      if (target_) target_->Forward(d);
    });
  }
  void Back(double d) override {
    Carry([&] {
      if (target_) target_->Back(d);
    });
  }
  void TurnLeft(double a) override {
    Carry([&] {
      if (target_) target_->TurnLeft(a);
    });
  }
  void TurnRight(double a) override {
    Carry([&] {
      if (target_) target_->TurnRight(a);
    });
  }
  void Home() override {
    Carry([&] {
      if (target_) target_->Home();
    });
  }
  void Clear() override {
    Carry([&] {
      if (target_) target_->Clear();
    });
  }
  void Circle(double r) override {
    Carry([&] {
      if (target_) target_->Circle(r);
    });
  }
  void PenUp() override {
    Carry([&] {
      if (target_) target_->PenUp();
    });
  }
  void PenDown() override {
    Carry([&] {
      if (target_) target_->PenDown();
    });
  }
  void Ellipse(double x, double y) override {
    Carry([&] {
      if (target_) target_->Ellipse(x, y);
    });
  }
  void Rectangle(double w, double h) override {
    Carry([&] {
      if (target_) target_->Rectangle(w, h);
    });
  }
  void SetX(double x) override {
    Carry([&] {
      if (target_) target_->SetX(x);
    });
  }
  void SetY(double y) override {
    Carry([&] {
      if (target_) target_->SetY(y);
    });
  }
  void SetXY(double x, double y) override {
    Carry([&] {
      if (target_) target_->SetXY(x, y);
    });
  }
  void Show() override {
    Carry([&] {
      if (target_) target_->Show();
    });
  }
  void Hide() override {
    Carry([&] {
      if (target_) target_->Hide();
    });
  }
  void WriteText(std::string_view text) override {
    Carry([&] {
      if (target_) target_->WriteText(text);
    });
  }
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
