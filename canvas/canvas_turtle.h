// GatedTurtle: the seventeen turtle operations as every edition hands them to
// a canvas's turtle model, each through a gate that decides whether and how
// it runs. A gate has
//   template <typename Operation> void Do(Operation operation);
// which calls operation(TurtleModel&) or refuses the call, and
//   void EndBatch();
// which ends a batch of calls it may be holding together. The desktop's gate
// takes the canvas's lock and checks the run's session (CanvasCore); the
// canvas's own (Canvas::Turtle) asks its checkpoint. Headers only, so the
// calls inline.
#pragma once

#include <string_view>
#include <utility>

#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"

namespace dravel {

template <typename Gate>
class GatedTurtle final : public TurtleOperations {
 public:
  explicit GatedTurtle(Gate gate) : gate_(std::move(gate)) {}
  ~GatedTurtle() override { gate_.EndBatch(); }
  GatedTurtle(const GatedTurtle&) = delete;
  GatedTurtle& operator=(const GatedTurtle&) = delete;

  void Forward(double distance) override {
    gate_.Do([&](TurtleModel& model) { model.Forward(distance); });
  }
  void Back(double distance) override {
    gate_.Do([&](TurtleModel& model) { model.Back(distance); });
  }
  void TurnLeft(double degrees) override {
    gate_.Do([&](TurtleModel& model) { model.TurnLeft(degrees); });
  }
  void TurnRight(double degrees) override {
    gate_.Do([&](TurtleModel& model) { model.TurnRight(degrees); });
  }
  void Home() override {
    gate_.Do([](TurtleModel& model) { model.Home(); });
  }
  void Clear() override {
    gate_.Do([](TurtleModel& model) { model.Clear(); });
  }
  void Circle(double radius) override {
    gate_.Do([&](TurtleModel& model) { model.Circle(radius); });
  }
  void PenUp() override {
    gate_.Do([](TurtleModel& model) { model.PenUp(); });
  }
  void PenDown() override {
    gate_.Do([](TurtleModel& model) { model.PenDown(); });
  }
  void Ellipse(double radius_x, double radius_y) override {
    gate_.Do([&](TurtleModel& model) { model.Ellipse(radius_x, radius_y); });
  }
  void Rectangle(double width, double height) override {
    gate_.Do([&](TurtleModel& model) { model.Rectangle(width, height); });
  }
  void SetX(double x) override {
    gate_.Do([&](TurtleModel& model) { model.SetX(x); });
  }
  void SetY(double y) override {
    gate_.Do([&](TurtleModel& model) { model.SetY(y); });
  }
  void SetXY(double x, double y) override {
    gate_.Do([&](TurtleModel& model) { model.SetXY(x, y); });
  }
  void Show() override {
    gate_.Do([](TurtleModel& model) { model.Show(); });
  }
  void Hide() override {
    gate_.Do([](TurtleModel& model) { model.Hide(); });
  }
  void WriteText(std::string_view gbk_text) override {
    gate_.Do([&](TurtleModel& model) { model.WriteText(gbk_text); });
  }
  void EndBatch() override { gate_.EndBatch(); }

 private:
  Gate gate_;
};

}  // namespace dravel
