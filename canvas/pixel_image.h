// A picture as plain pixels, and what the sprites need of one: turning a
// frame to a heading pixel by pixel, and laying it on a layer with one colour
// left see-through. Plain C++, shared by the desktop's sprites and the web
// edition's.
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

struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row after row, `width` apart

  bool Empty() const { return pixels.empty(); }
  PixelView View() const { return {pixels.data(), width, width, height}; }
};

struct BoxSize {
  int width = 0;
  int height = 0;
};

// Bounding box of a `size` rectangle turned by `heading` degrees, from its
// corner coordinates truncated toward zero.
BoxSize TurnedSize(BoxSize size, double heading);

// `frame` turned clockwise by `heading` into its bounding box; source pixels
// outside the frame come out white.
PixelImage TurnPixels(const PixelImage& frame, double heading);

// A layer to lay pictures on.
struct PixelTarget {
  uint32_t* pixels = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// Lays `source` on `target` with its top-left at (left, top), clipped, leaving
// out the pixels equal to `key`.
void CopyKeyed(const PixelTarget& target, const PixelView& source, int64_t left, int64_t top,
               uint32_t key);
// Copies the `size` rectangle at (left, top) of `source` (a layer of the
// target's size) into `target` at the same place, clipped.
void CopyBack(const PixelTarget& target, const uint32_t* source, int64_t left, int64_t top,
              BoxSize size);

}  // namespace dravel
