// The five drawing operations the turtle model needs from a surface, and the
// plain records shared by the model and the surfaces. The model decides what
// to draw; a surface decides how it reaches pixels. Tests plug in a recording
// surface; every edition plugs in the canvas (canvas.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace dravel {

// A point in turtle coordinates: pixels from the canvas centre, y upwards.
struct TurtlePoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const TurtlePoint&, const TurtlePoint&) = default;
};

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // One pen line from `from` to `to`. The model calls it only while the
  // current turtle's pen is down.
  virtual void DrawSegment(TurtlePoint from, TurtlePoint to) = 0;
  // `gbk_text` with its top-left at `anchor`, running along `heading`.
  virtual void PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) = 0;
  // Marks the whole canvas for repainting; `erase` repaints the background too.
  virtual void RequestRepaint(bool erase) = 0;
  // Empties the ink layer and rebuilds the visible layer.
  virtual void EraseInk() = 0;
  // Rebuilds the visible layer from the background and the ink layer.
  virtual void RefreshBackground() = 0;
};

}  // namespace dravel
