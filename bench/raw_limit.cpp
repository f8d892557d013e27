#include "bench/raw_limit.h"

#include <cmath>
#include <cstdlib>

#include "interpreter/run_driver.h"
#include "support/host_fakes.h"

namespace dravel::bench {
namespace {

// Keeps the pixel segments; text, repaints and erasing are not lines.
class RecordingSurface final : public DrawingSurface {
 public:
  RecordingSurface(int width, int height) : width_(width), height_(height) {}

  void DrawSegment(TurtlePoint from, TurtlePoint to) override {
    const int32_t x0 = width_ / 2 + RoundSaturated(from.x);
    const int32_t y0 = height_ / 2 - RoundSaturated(from.y);
    const int32_t x1 = width_ / 2 + RoundSaturated(to.x);
    const int32_t y1 = height_ / 2 - RoundSaturated(to.y);
    if (x0 != x1 || y0 != y1) segments.push_back({x0, y0, x1, y1});
  }
  void PutText(std::string_view, TurtlePoint, double) override {}
  void RequestRepaint(bool) override {}
  void EraseInk() override {}
  void RefreshBackground() override {}

  std::vector<PixelSegment> segments;

 private:
  int width_, height_;
};

}  // namespace

std::vector<PixelSegment> CaptureSegments(const Text& script, int width, int height) {
  RecordingSurface surface(width, height);
  TurtleModel model(surface, width, height);
  model.SetEdgeMode(EdgeMode::Wrap);
  model.ResetTurtleZero();
  testing::ScriptHost host;
  RunContext context{model, host, {}};
  RunScript({script, "1"}, context);
  return std::move(surface.segments);
}

int64_t DrawRaw(const std::vector<PixelSegment>& segments, std::vector<uint32_t>& buffer, int width,
                int height) {
  int64_t pixels = 0;
  for (const PixelSegment& s : segments) {
    const int32_t dx = std::abs(s.x1 - s.x0), dy = -std::abs(s.y1 - s.y0);
    const int32_t sx = s.x0 < s.x1 ? 1 : -1, sy = s.y0 < s.y1 ? 1 : -1;
    int32_t error = dx + dy, x = s.x0, y = s.y0;
    while (x != s.x1 || y != s.y1) {
      if (uint32_t(x) < uint32_t(width) && uint32_t(y) < uint32_t(height)) {
        buffer[size_t(y) * size_t(width) + size_t(x)] = 0xFF00FF00;
        ++pixels;
      }
      const int32_t twice = 2 * error;
      if (twice >= dy) error += dy, x += sx;
      if (twice <= dx) error += dx, y += sy;
    }
  }
  return pixels;
}

}  // namespace dravel::bench
