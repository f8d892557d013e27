// One picture's drawing as the match sees it: which pixels are drawn (those
// that differ from the canvas's background colour, which the caller knows),
// the distance from every pixel to the nearest drawn one, so that a match
// looks a distance up instead of searching, and the drawing's separate
// pieces, each with its centre, spread and a sample of its points. Made once
// per picture and read by every match of it; how two shapes are laid over
// each other is drawing_match's. Plain C++; one byte a pixel is kept.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/pixel_image.h"

namespace dravel {

struct ShapePoint {
  double x = 0;
  double y = 0;
};

// Drawn pixels, in the picture's pixel coordinates (a pixel's centre is its
// column and row).
struct ShapePart {
  int64_t count = 0;
  ShapePoint centre;
  double spread = 0;               // root mean square distance from the centre
  ShapePoint low, high;            // the box around the pixels
  std::vector<ShapePoint> sample;  // up to 2 * kShapeSample of them, spread along the part
};

inline constexpr int kShapeSample = 256;
// Distances are known up to here; farther is far.
inline constexpr float kFarthest = 15.9f;

class DrawnShape {
 public:
  // `background_colour` is 0x00BBGGRR, as the canvas's setting.
  DrawnShape(PixelView picture, uint32_t background_colour);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return whole_.count == 0; }
  bool Drawn(int x, int y) const { return Squared(x, y) == 0; }
  // Pixels from the pixel nearest (x, y) to the nearest drawn pixel; beyond
  // kFarthest, outside the picture and when nothing is drawn, infinite.
  float DistanceAt(double x, double y) const;

  const ShapePart& Whole() const { return whole_; }
  // The largest pieces (pixels joined through their eight neighbours) of
  // more than a few pixels, largest first.
  const std::vector<ShapePart>& Pieces() const { return pieces_; }

 private:
  uint8_t Squared(int x, int y) const { return squared_[size_t(y) * size_t(width_) + size_t(x)]; }
  void FindPieces();
  ShapePart WalkPiece(size_t first, std::vector<bool>& seen, std::vector<size_t>& stack) const;

  int width_ = 0;
  int height_ = 0;
  // The squared distance to the nearest drawn pixel, row by row: 0 where
  // drawn, 255 beyond kFarthest.
  std::vector<uint8_t> squared_;
  ShapePart whole_;
  std::vector<ShapePart> pieces_;
};

}  // namespace dravel
