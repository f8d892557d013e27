// The two layers of a canvas as plain pixel buffers: the visible layer
// (background plus drawing) and the ink layer (drawing only, on the key
// colour), of one size. Their memory comes from malloc, not from the
// program's operator new, so layers that cannot be had are a result the
// caller sees (Create gives nothing) rather than the run-time error that ends
// the program; a size past kMaxLayerPixels is refused before any allocation.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"

namespace dravel {

// 8192 x 8192: two layers of 256 MiB each.
inline constexpr int64_t kMaxLayerPixels = int64_t{1} << 26;

class CanvasLayers {
 public:
  // Both layers at `width` x `height` (each at least 1), the visible layer
  // white and the ink layer the key colour; nullopt when the size is past
  // the bound or the memory cannot be had.
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
  struct Free {
    void operator()(uint32_t* pixels) const { std::free(pixels); }
  };
  using Buffer = std::unique_ptr<uint32_t[], Free>;

  CanvasLayers(int width, int height, Buffer visible, Buffer ink);

  int width_;
  int height_;
  Buffer visible_;
  Buffer ink_;
};

}  // namespace dravel
