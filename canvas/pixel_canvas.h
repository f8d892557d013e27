// The canvas with no Qt and no threads: the turtle model drawing on a pixel
// surface, one sprite per turtle, and the settings a host gives it. It is the
// turtle of one run at a time, on the caller's thread: the web edition's
// worker and the node command run on it. A run ends early through `stopped`,
// asked before each operation and inside long ones.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/canvas_turtle.h"
#include "canvas/pixel_image.h"
#include "canvas/pixel_surface.h"
#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"

namespace dravel {

// The frames of built-in image set 1..10, facing up, white see-through.
using PixelSpriteSource = std::function<const std::vector<PixelImage>&(int image_set)>;

class PixelCanvas final {
 public:
  // Black pen on white, Fence mode, turtle 0 at home, every turtle showing
  // frame 0 of image set 1.
  PixelCanvas(int width, int height, PixelSpriteSource sprites);
  PixelCanvas(const PixelCanvas&) = delete;
  PixelCanvas& operator=(const PixelCanvas&) = delete;

  // Asked before each operation and at the model's checkpoints: true ends
  // the operation and refuses the next ones.
  void SetStopped(std::function<bool()> stopped) { stopped_ = std::move(stopped); }
  void SetTextPainter(TextMaskPainter painter) { surface_.SetTextPainter(std::move(painter)); }

  void SetEdgeMode(EdgeMode mode) { model_.SetEdgeMode(mode); }
  void SetPenColour(uint32_t colour) { surface_.SetPenColour(colour); }
  void SetBackgroundColour(uint32_t colour) { surface_.SetBackgroundColour(colour); }
  void SetPenWidth(int width) { surface_.SetPenWidth(width); }

  // The seventeen operations, refused once `stopped` says so.
  TurtleOperations& Turtle() { return turtle_; }

  TurtleState StateOf(int index = 0) const;  // index outside 0..19 gives 0's
  const PixelSurface& Surface() const { return surface_; }
  // The visible layer with the visible turtles' sprites on a copy.
  std::vector<uint32_t> Paint() const;

  // The drawing and every turtle, as bytes to give back to Restore (a fresh
  // canvas of the same size and settings); Restore refuses bytes that are not
  // such a snapshot, changing nothing.
  std::string Snapshot() const;
  bool Restore(std::string_view snapshot);

 private:
  struct StopGate {
    PixelCanvas* canvas;
    template <typename Operation>
    void Do(Operation operation) {
      if (!canvas->stopped_ || !canvas->stopped_()) operation(canvas->model_);
    }
    void EndBatch() {}
  };

  PixelSurface surface_;
  TurtleModel model_;
  PixelSpriteSource sprites_;
  std::function<bool()> stopped_;
  GatedTurtle<StopGate> turtle_{StopGate{this}};
};

}  // namespace dravel
