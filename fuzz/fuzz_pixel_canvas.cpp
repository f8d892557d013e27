// Runs arbitrary turtle operations on the web edition's canvas (plain pixels)
// and on the desktop's, and checks that both end with the same layers, the
// same frame with the turtle and the same turtle. Numbers come from a byte
// and a scale, with NaN, infinities and huge values for moves; arcs stay
// small enough to draw quickly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "byte_reader.h"
#include "canvas/canvas_core.h"
#include "canvas/pixel_canvas.h"
#include "support/desktop_pixels.h"

namespace dravel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

double Number(fuzz::ByteReader& input, bool arc) {
  constexpr double kScales[] = {0.37, 1, 7.3, 60};
  const int kind = input.IntInRange(0, arc ? 3 : 7);
  const double byte = input.IntInRange(0, 255) - 128;
  switch (kind) {
    case 4: return std::numeric_limits<double>::quiet_NaN();
    case 5:
      return byte < 0 ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::infinity();
    case 6: return byte * 1e7;
    case 7: return byte * 3e9;
    default: return byte * kScales[kind];
  }
}

void Apply(int operation, fuzz::ByteReader& input, TurtleOperations& a, TurtleOperations& b) {
  auto both = [&](auto call) {
    call(a);
    call(b);
  };
  const double x = Number(input, operation == 6 || operation == 9 || operation == 10);
  const double y = Number(input, operation == 9 || operation == 10);
  switch (operation) {
    case 0: return both([&](TurtleOperations& t) { t.Forward(x); });
    case 1: return both([&](TurtleOperations& t) { t.Back(x); });
    case 2: return both([&](TurtleOperations& t) { t.TurnLeft(x); });
    case 3: return both([&](TurtleOperations& t) { t.TurnRight(x); });
    case 4: return both([](TurtleOperations& t) { t.Home(); });
    case 5: return both([](TurtleOperations& t) { t.Clear(); });
    case 6: return both([&](TurtleOperations& t) { t.Circle(x); });
    case 7: return both([](TurtleOperations& t) { t.PenUp(); });
    case 8: return both([](TurtleOperations& t) { t.PenDown(); });
    case 9: return both([&](TurtleOperations& t) { t.Ellipse(x, y); });
    case 10: return both([&](TurtleOperations& t) { t.Rectangle(x, y); });
    case 11: return both([&](TurtleOperations& t) { t.SetX(x); });
    case 12: return both([&](TurtleOperations& t) { t.SetY(x); });
    case 13: return both([&](TurtleOperations& t) { t.SetXY(x, y); });
    case 14: return both([](TurtleOperations& t) { t.Show(); });
    default: return both([](TurtleOperations& t) { t.Hide(); });
  }
}

}  // namespace
}  // namespace dravel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dravel;
  fuzz::ByteReader input(data, size);
  const int width = input.IntInRange(1, 96), height = input.IntInRange(1, 72);
  const EdgeMode mode = EdgeModeOf(input.IntInRange(0, 2));
  CanvasCore desktop(width, height);
  PixelCanvas pixels(width, height, testing::DesktopSprites);
  desktop.SetEdgeMode(mode);
  pixels.SetEdgeMode(mode);
  for (int i = 0; i < 32 && input.IntInRange(0, 255) != 0; ++i) {
    Apply(input.IntInRange(0, 15), input, desktop.Turtle(), pixels.Turtle());
  }
  Check(pixels.Surface().VisibleLayer() == testing::PixelsIn(desktop.VisibleLayer()));
  Check(pixels.Surface().InkLayer() == testing::PixelsIn(desktop.InkLayer()));
  Check(pixels.Paint() == testing::PixelsIn(desktop.Paint()));
  const TurtleState a = pixels.StateOf(), b = desktop.StateOf();
  Check(std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
        std::memcmp(&a.heading, &b.heading, sizeof a.heading) == 0 && a.pen == b.pen &&
        a.visible == b.visible);
  return 0;
}
