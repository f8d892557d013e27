// The speed limit a drawing run is measured against: the segments a script
// draws, captured from the turtle model on a recording surface, drawn again
// as 1-px Bresenham lines into a raw 32-bit buffer, with no interpreter, no
// lock and no layers. Also a turtle that counts the operations it passes on.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"
#include "runtime/text.h"

namespace dravel::bench {

struct PixelSegment {
  int32_t x0, y0, x1, y1;
};

// The pixel segments `script` draws in one run on a `width` x `height` canvas
// in Wrap mode, in the order drawn.
std::vector<PixelSegment> CaptureSegments(const Text& script, int width, int height);

// Draws every segment into `buffer` (width * height pixels), clipped, from
// its first pixel up to but not including its last; gives the pixels set.
int64_t DrawRaw(const std::vector<PixelSegment>& segments, std::vector<uint32_t>& buffer,
                int width, int height);

// Counts the turtle operations a run calls and passes each on.
class CountingTurtle final : public TurtleOperations {
 public:
  explicit CountingTurtle(TurtleOperations& target) : target_(target) {}

  void Forward(double d) override { ++count_, target_.Forward(d); }
  void Back(double d) override { ++count_, target_.Back(d); }
  void TurnLeft(double a) override { ++count_, target_.TurnLeft(a); }
  void TurnRight(double a) override { ++count_, target_.TurnRight(a); }
  void Home() override { ++count_, target_.Home(); }
  void Clear() override { ++count_, target_.Clear(); }
  void Circle(double r) override { ++count_, target_.Circle(r); }
  void PenUp() override { ++count_, target_.PenUp(); }
  void PenDown() override { ++count_, target_.PenDown(); }
  void Ellipse(double rx, double ry) override { ++count_, target_.Ellipse(rx, ry); }
  void Rectangle(double w, double h) override { ++count_, target_.Rectangle(w, h); }
  void SetX(double x) override { ++count_, target_.SetX(x); }
  void SetY(double y) override { ++count_, target_.SetY(y); }
  void SetXY(double x, double y) override { ++count_, target_.SetXY(x, y); }
  void Show() override { ++count_, target_.Show(); }
  void Hide() override { ++count_, target_.Hide(); }
  void WriteText(std::string_view text) override { ++count_, target_.WriteText(text); }
  void SetStopToken(std::stop_token token) override { target_.SetStopToken(std::move(token)); }
  void StopUnderLock(const std::function<void()>& request_stop) override {
    target_.StopUnderLock(request_stop);
  }

  int64_t count() const { return count_; }

 private:
  TurtleOperations& target_;
  int64_t count_ = 0;
};

}  // namespace dravel::bench
