#include "canvas/pixel_surface.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "canvas/pixel_memory.h"
#include "canvas/thin_line.h"
#include "canvas/turtle_model.h"

namespace dravel {

PixelSurface::PixelSurface(int width, int height) {
  if (MakeLayers(std::max(width, 1), std::max(height, 1))) return;
  [[maybe_unused]] const bool made = MakeLayers(1, 1);
  assert(made);
}

bool PixelSurface::MakeLayers(int width, int height) {
  const size_t count = size_t(width) * size_t(height);
  std::optional<std::vector<uint32_t>> visible = NewPixels(count, kWhitePixel);
  if (!visible) return false;
  std::optional<std::vector<uint32_t>> ink = NewPixels(count, PixelOf(kKeyColour));
  if (!ink) return false;
  visible_ = std::move(*visible);
  ink_ = std::move(*ink);
  width_ = width;
  height_ = height;
  return true;
}

void PixelSurface::SetPenColour(uint32_t colour) { pen_colour_ = DrawnPenColour(colour); }

void PixelSurface::SetPenWidth(int width) { pen_width_ = DrawnPenWidth(width); }

void PixelSurface::SetBackgroundColour(uint32_t colour) {
  background_colour_ = colour & 0xFFFFFF;
  std::fill(visible_.begin(), visible_.end(), PixelOf(background_colour_));
  CopyInkOntoVisible();
}

PixelLayers PixelSurface::Layers() {
  return {visible_.data(), ink_.data(), width_, width_, height_};
}

void PixelSurface::DrawSegment(TurtlePoint from, TurtlePoint to) {
  const int32_t ax = RoundSaturated(from.x), ay = RoundSaturated(from.y);
  const int32_t bx = RoundSaturated(to.x), by = RoundSaturated(to.y);
  if (ax == bx && ay == by) return;
  if (pen_width_ <= 1)
    DrawThinLine(Layers(), ax, ay, bx, by, PixelOf(pen_colour_));
  else
    DrawWideLine(ax, ay, bx, by);
}

// Wider pens: every pixel whose centre lies within half the width of the
// segment, which gives round ends; only the segment's box, grown by the
// width and clipped to the layers, is visited.
void PixelSurface::DrawWideLine(int32_t from_x, int32_t from_y, int32_t to_x, int32_t to_y) {
  const double ax = width_ / 2 + double(from_x), ay = height_ / 2 - double(from_y);
  const double bx = width_ / 2 + double(to_x), by = height_ / 2 - double(to_y);
  const double half = pen_width_ / 2.0;
  const int64_t left = std::max<int64_t>(0, int64_t(std::floor(std::min(ax, bx) - half)));
  const int64_t right = std::min<int64_t>(width_, int64_t(std::ceil(std::max(ax, bx) + half)) + 1);
  const int64_t top = std::max<int64_t>(0, int64_t(std::floor(std::min(ay, by) - half)));
  const int64_t bottom =
      std::min<int64_t>(height_, int64_t(std::ceil(std::max(ay, by) + half)) + 1);
  const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
  const uint32_t pixel = PixelOf(pen_colour_);
  for (int64_t y = top; y < bottom; ++y) {
    for (int64_t x = left; x < right; ++x) {
      const double px = double(x) - ax, py = double(y) - ay;
      const double t = std::clamp((px * dx + py * dy) / length, 0.0, 1.0);
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey > half * half) continue;
      visible_[size_t(y) * size_t(width_) + size_t(x)] = pixel;
      ink_[size_t(y) * size_t(width_) + size_t(x)] = pixel;
    }
  }
}

void PixelSurface::PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) {
  // Without the memory for its mask the text is left out, not half drawn.
  if (!text_painter_ || !PixelBlockAvailable(visible_.size())) return;
  const int32_t x = RoundSaturated(anchor.x), y = RoundSaturated(anchor.y);
  TextRequest text{gbk_text, width_ / 2 + std::clamp(x, -(1 << 24), 1 << 24),
                   height_ / 2 - std::clamp(y, -(1 << 24), 1 << 24),
                   TruncSaturated(450 - heading) * 10};
  std::vector<uint8_t> mask(visible_.size(), 0);
  text_painter_(text, width_, height_, mask);
  const uint32_t pixel = PixelOf(pen_colour_);
  for (size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == 0) continue;
    visible_[i] = pixel;
    ink_[i] = pixel;
  }
}

void PixelSurface::EraseInk() {
  std::fill(ink_.begin(), ink_.end(), PixelOf(kKeyColour));
  SetBackgroundColour(background_colour_);
}

void PixelSurface::RefreshBackground() { SetBackgroundColour(background_colour_); }

bool PixelSurface::RestoreInk(std::vector<uint32_t> ink) {
  if (ink.size() != ink_.size()) return false;
  ink_ = std::move(ink);
  SetBackgroundColour(background_colour_);
  return true;
}

void PixelSurface::CopyInkOntoVisible() {
  CopyKeyed({visible_.data(), width_, width_, height_}, {ink_.data(), width_, width_, height_}, 0,
            0, PixelOf(kKeyColour));
}

}  // namespace dravel
