// The two layers of a canvas as plain pixel buffers: the visible layer
// (background plus drawing) and the ink layer (drawing only, on the key
// colour), of one size. Whether layers of a size can be had is pixel
// memory's to decide (pixel_memory.h); layers that cannot be had are a
// result the caller sees (Create gives nothing), never layers without memory.
//
// A layer that is all one colour is only noted as such and written out when
// something first reads or draws on it: a short run that draws little or
// nothing then never touches most of the canvas's memory, and the first
// touch of fresh memory is what such a run spends most of its time on.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

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
  // Both layers, for drawing on rows `top` to `bottom` (clipped) alone.
  PixelLayers Rows(int64_t top, int64_t bottom) {
    visible_.Settle(top, bottom, width_);
    ink_.Settle(top, bottom, width_);
    return {visible_.pixels.get(), ink_.pixels.get(), width_, width_, height_};
  }
  PixelTarget VisibleTarget() { return {Settled(visible_), width_, width_, height_}; }
  PixelTarget InkTarget() { return {Settled(ink_), width_, width_, height_}; }
  PixelView Visible() const { return {Settled(visible_), width_, width_, height_}; }
  PixelView Ink() const { return {Settled(ink_), width_, width_, height_}; }
  // Row `y` of the visible layer to read, without writing out a row that is
  // only noted: such rows share one row of their colour.
  const uint32_t* VisibleRow(int y) const { return visible_.Row(y, width_); }

  // The visible layer all `pixel`; the ink layer all the key colour.
  void FillVisible(uint32_t pixel) { visible_.Fill(pixel); }
  void EraseInk() { ink_.Fill(PixelOf(kKeyColour)); }
  // Whether no row of the ink layer was drawn on since it was erased.
  bool InkBlank() const { return ink_.AllPending(); }

 private:
  // One layer's pixels and which of its rows are only noted as `fill`.
  struct Layer {
    LayerPixels pixels;
    uint32_t fill = 0;
    std::vector<bool> pending;  // a row each
    size_t pending_count = 0;
    // A run of rows known written out, so that drawing within it (the usual
    // case) looks at no row.
    int64_t settled_top = 0;
    int64_t settled_bottom = 0;

    void Fill(uint32_t pixel);
    // Writes out rows `top` to `bottom` (clipped) that are only noted.
    void Settle(int64_t top, int64_t bottom, int width) {
      if (pending_count == 0 || (top >= settled_top && bottom <= settled_bottom)) return;
      SettleRows(top, bottom, width);
    }
    void SettleRows(int64_t top, int64_t bottom, int width);
    void KeepSettledRun(int64_t top, int64_t bottom);
    bool AllPending() const { return pending_count == pending.size(); }
    const uint32_t* Row(int y, int width);

    std::vector<uint32_t> fill_row;  // `fill` a row long, once asked for
  };

  CanvasLayers(int width, int height, LayerPixels visible, LayerPixels ink);
  uint32_t* Settled(Layer& layer) const {
    layer.Settle(0, height_, width_);
    return layer.pixels.get();
  }

  int width_;
  int height_;
  // Settling a row writes it out, which is no change to what it holds.
  mutable Layer visible_;
  mutable Layer ink_;
};

}  // namespace dravel
