#include "canvas/canvas_layers.h"

#include <algorithm>

namespace dravel {

std::optional<CanvasLayers> CanvasLayers::Create(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  const size_t count = size_t(width) * size_t(height);
  LayerPixels visible = NewLayerPixels(count);
  if (!visible) return std::nullopt;
  LayerPixels ink = NewLayerPixels(count);
  if (!ink) return std::nullopt;
  return CanvasLayers(width, height, std::move(visible), std::move(ink));
}

CanvasLayers::CanvasLayers(int width, int height, LayerPixels visible, LayerPixels ink)
    : width_(width), height_(height) {
  visible_.pixels = std::move(visible);
  visible_.pending.assign(size_t(height), true);
  visible_.Fill(kWhitePixel);
  ink_.pixels = std::move(ink);
  ink_.pending.assign(size_t(height), true);
  ink_.Fill(PixelOf(kKeyColour));
}

void CanvasLayers::Layer::Fill(uint32_t pixel) {
  fill = pixel;
  fill_row.clear();
  std::fill(pending.begin(), pending.end(), true);
  pending_count = pending.size();
  settled_top = settled_bottom = 0;
}

void CanvasLayers::Layer::SettleRows(int64_t top, int64_t bottom, int width) {
  const int64_t rows = int64_t(pending.size());
  top = std::clamp<int64_t>(top, 0, rows);
  bottom = std::clamp<int64_t>(bottom, top, rows);
  if (top >= settled_top && bottom <= settled_bottom) return;
  KeepSettledRun(top, bottom);
  while (top < bottom && !pending[size_t(top)]) ++top;
  while (bottom > top && !pending[size_t(bottom - 1)]) --bottom;
  if (top == bottom) return;
  // Fresh pages are mapped in one call when more than a few come.
  constexpr size_t kFewBytes = 32 * 1024;
  if (size_t(bottom - top) * size_t(width) * sizeof(uint32_t) > kFewBytes) {
    PrefaultPixels(pixels.get() + top * width, size_t(bottom - top) * size_t(width));
  }
  for (int64_t y = top; y < bottom; ++y) {
    if (!pending[size_t(y)]) continue;
    std::fill_n(pixels.get() + y * width, width, fill);
    pending[size_t(y)] = false;
    --pending_count;
  }
}

// [top, bottom) is about to be written out: joined to the known run when the
// two meet, or kept instead of it when longer.
void CanvasLayers::Layer::KeepSettledRun(int64_t top, int64_t bottom) {
  if (top <= settled_bottom && bottom >= settled_top) {
    settled_top = std::min(settled_top, top);
    settled_bottom = std::max(settled_bottom, bottom);
  } else if (bottom - top > settled_bottom - settled_top) {
    settled_top = top;
    settled_bottom = bottom;
  }
}

const uint32_t* CanvasLayers::Layer::Row(int y, int width) {
  if (!pending[size_t(y)]) return pixels.get() + ptrdiff_t(y) * width;
  if (fill_row.empty()) fill_row.assign(size_t(width), fill);
  return fill_row.data();
}

}  // namespace dravel
