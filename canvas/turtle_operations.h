// The seventeen script-facing turtle operations, as the interpreter sees them.
// The turtle model implements them on its current turtle (turtle_model.h),
// and every canvas hands them to it through one adapter (canvas_turtle.h;
// for a run, through the run's session: run_canvas.h); tests may implement
// them with fakes. No operation reports an error: an argument that is not
// accepted makes the call do nothing.
#pragma once

#include <string_view>

namespace dravel {

class TurtleOperations {
 public:
  virtual ~TurtleOperations() = default;

  virtual void Forward(double distance) = 0;
  virtual void Back(double distance) = 0;
  virtual void TurnLeft(double degrees) = 0;
  virtual void TurnRight(double degrees) = 0;
  virtual void Home() = 0;
  virtual void Clear() = 0;
  virtual void Circle(double radius) = 0;
  virtual void PenUp() = 0;
  virtual void PenDown() = 0;
  virtual void Ellipse(double radius_x, double radius_y) = 0;
  virtual void Rectangle(double width, double height) = 0;
  virtual void SetX(double x) = 0;
  virtual void SetY(double y) = 0;
  virtual void SetXY(double x, double y) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // `gbk_text` is a GBK byte string, read up to its first zero byte.
  virtual void WriteText(std::string_view gbk_text) = 0;

  // A turtle may carry out consecutive operations as one batch (a canvas
  // holds its lock across them); the caller ends the batch before it does
  // anything that may wait (a host effect, a delay) or that others wait for.
  // Wrappers pass it on.
  virtual void EndBatch() {}
};

}  // namespace dravel
