// The seventeen script-facing turtle operations, as the interpreter sees them.
// The canvas implements them on its current turtle; tests and benchmarks may
// implement them with fakes. No operation reports an error: an argument that is
// not accepted makes the call do nothing.
#pragma once

#include <functional>
#include <stop_token>
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

  // The run's stop token. Long operations (a huge circle, a wrap chain) test it
  // and end early; every drawing effect tests it under the drawing lock.
  virtual void SetStopToken(std::stop_token token) = 0;
  // Runs `request_stop` while holding the drawing lock, so that no drawing call
  // can be between its stop check and its effect when the stop is requested.
  virtual void StopUnderLock(const std::function<void()>& request_stop) = 0;
};

}  // namespace dravel
