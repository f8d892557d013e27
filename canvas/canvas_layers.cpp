#include "canvas/canvas_layers.h"

#include <algorithm>

namespace dravel {

std::optional<CanvasLayers> CanvasLayers::Create(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  const size_t count = size_t(width) * size_t(height);
  LayerPixels visible = NewLayerPixels(count, kWhitePixel);
  if (!visible) return std::nullopt;
  LayerPixels ink = NewLayerPixels(count, PixelOf(kKeyColour));
  if (!ink) return std::nullopt;
  return CanvasLayers(width, height, std::move(visible), std::move(ink));
}

CanvasLayers::CanvasLayers(int width, int height, LayerPixels visible, LayerPixels ink)
    : width_(width), height_(height), visible_(std::move(visible)), ink_(std::move(ink)) {}

}  // namespace dravel
