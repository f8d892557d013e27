// The two layers of a canvas as plain pixel buffers: the visible layer
// (background plus drawing) and the ink layer (drawing only, on the key
// colour), of one size. Whether layers of a size can be had is pixel
// memory's to decide (pixel_memory.h); layers that cannot be had are a
// result the caller sees (Create gives nothing), never layers without memory.
#pragma once

#include <cstdint>
#include <optional>

#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"
#include "canvas/pixel_memory.h"

namespace dravel {

class CanvasLayers {
 public:
  // Both layers at `width` x `height` (each at least 1), the visible layer
  // white and the ink layer the key colour; nullopt when they cannot be had.
  static std::optional<CanvasLayers> Create(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  size_t PixelCount() const { return size_t(width_) * size_t(height_); }
  PixelLayers Both() { return {visible_.get(), ink_.get(), width_, width_, height_}; }
  PixelTarget VisibleTarget() { return {visible_.get(), width_, width_, height_}; }
  PixelTarget InkTarget() { return {ink_.get(), width_, width_, height_}; }
  PixelView Visible() const { return {visible_.get(), width_, width_, height_}; }
  PixelView Ink() const { return {ink_.get(), width_, width_, height_}; }

 private:
  CanvasLayers(int width, int height, LayerPixels visible, LayerPixels ink);

  int width_;
  int height_;
  LayerPixels visible_;
  LayerPixels ink_;
};

}  // namespace dravel
