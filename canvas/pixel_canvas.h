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

#include "canvas/pixel_image.h"
#include "canvas/pixel_surface.h"
#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"

namespace dravel {

// The frames of built-in image set 1..10, facing up, white see-through.
using PixelSpriteSource = std::function<const std::vector<PixelImage>&(int image_set)>;

class PixelCanvas final : public TurtleOperations {
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

  TurtleState StateOf(int index = 0) const;  // index outside 0..19 gives 0's
  const PixelSurface& Surface() const { return surface_; }
  // The visible layer with the visible turtles' sprites on a copy; empty
  // when the copy cannot be allocated.
  std::vector<uint32_t> Paint() const;

  // The drawing and every turtle, as bytes to give back to Restore (a fresh
  // canvas of the same size and settings); empty when they cannot be
  // allocated. Restore refuses bytes that are not such a snapshot, and a
  // snapshot it has no memory for, changing nothing.
  std::string Snapshot() const;
  bool Restore(std::string_view snapshot);

 private:
  template <typename Operation>
  void Run(Operation operation);

  PixelSurface surface_;
  TurtleModel model_;
  PixelSpriteSource sprites_;
  std::function<bool()> stopped_;
};

}  // namespace dravel
