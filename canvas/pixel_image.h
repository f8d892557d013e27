// A picture as plain pixels, and what the canvas does with pictures: turning
// a sprite frame to a heading pixel by pixel, and laying pixels on a layer,
// whole or with one colour left see-through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dravel {

// Pixels to read: `height` rows of `width`, `stride` apart.
struct PixelView {
  const uint32_t* pixels = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// Pixels to write, as PixelView.
struct PixelTarget {
  uint32_t* pixels = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row after row, `width` apart

  // A copy of the pixels of `view`; empty when it cannot be allocated
  // (pixel_memory.h).
  static PixelImage Of(const PixelView& view);
  bool Empty() const { return pixels.empty(); }
  PixelView View() const { return {pixels.data(), width, width, height}; }
  PixelTarget Target() { return {pixels.data(), width, width, height}; }
};

struct BoxSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const BoxSize&, const BoxSize&) = default;
};

// Bounding box of a `size` rectangle turned by `heading` degrees, from its
// corner coordinates truncated toward zero.
BoxSize TurnedSize(BoxSize size, double heading);

// `frame` turned clockwise by `heading` into its bounding box; source pixels
// outside the frame come out white.
PixelImage TurnPixels(const PixelImage& frame, double heading);

// Lays `source` on `target` with its top-left at (left, top), clipped:
// every pixel, or leaving out those equal to `key`.
void CopyPixels(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top);
void CopyKeyed(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top,
               uint32_t key);
// Copies the `size` rectangle at (left, top) of `source` (a layer of the
// target's size) into `target` at the same place, clipped.
void CopyBack(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top,
              BoxSize size);

}  // namespace dravel
