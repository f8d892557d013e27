#include "canvas/canvas_layers.h"

#include <algorithm>

namespace dravel {

std::optional<CanvasLayers> CanvasLayers::Create(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (int64_t{width} * int64_t{height} > kMaxLayerPixels) return std::nullopt;
  const size_t count = size_t(width) * size_t(height);
  Buffer visible(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
  Buffer ink(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
  if (!visible || !ink) return std::nullopt;
  std::fill_n(visible.get(), count, kWhitePixel);
  std::fill_n(ink.get(), count, PixelOf(kKeyColour));
  return CanvasLayers(width, height, std::move(visible), std::move(ink));
}

CanvasLayers::CanvasLayers(int width, int height, Buffer visible, Buffer ink)
    : width_(width), height_(height), visible_(std::move(visible)), ink_(std::move(ink)) {}

}  // namespace dravel
