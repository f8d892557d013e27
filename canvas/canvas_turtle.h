// CanvasTurtle: the seventeen turtle operations on a canvas for one caller,
// a run's session or none (the window's own calls). The canvas refuses every
// call of a stopped session. A session's operations go in batches under one
// hold of the canvas's lock (CanvasCore::RunBatched).
#pragma once

#include "canvas/turtle_operations.h"
#include "runtime/run_session.h"

namespace dravel {

class CanvasCore;

class CanvasTurtle final : public TurtleOperations {
 public:
  // `session` null: calls that no stop refuses.
  CanvasTurtle(CanvasCore& canvas, const RunSession* session)
      : canvas_(canvas), session_(session) {}
  ~CanvasTurtle() override;
  CanvasTurtle(const CanvasTurtle&) = delete;
  CanvasTurtle& operator=(const CanvasTurtle&) = delete;

  void Forward(double distance) override;
  void Back(double distance) override;
  void TurnLeft(double degrees) override;
  void TurnRight(double degrees) override;
  void Home() override;
  void Clear() override;
  void Circle(double radius) override;
  void PenUp() override;
  void PenDown() override;
  void Ellipse(double radius_x, double radius_y) override;
  void Rectangle(double width, double height) override;
  void SetX(double x) override;
  void SetY(double y) override;
  void SetXY(double x, double y) override;
  void Show() override;
  void Hide() override;
  void WriteText(std::string_view gbk_text) override;
  void EndBatch() override;

 private:
  template <typename Operation>
  void Do(Operation operation);

  CanvasCore& canvas_;
  const RunSession* session_;
};

}  // namespace dravel
