// The drawing surface over plain pixel buffers, with no Qt: the visible
// layer (background plus drawing) and the ink layer (drawing only, on the key
// colour), as the desktop's raster surface keeps them, drawn by the same
// thin-line code. Text is drawn by whoever can (the browser's canvas) through
// a callback that fills a coverage mask. No background picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "canvas/drawing_surface.h"
#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"

namespace dravel {

// One text to draw: GBK bytes with the top-left of its first character at
// pixel (x, y), running `escapement` tenths of a degree anticlockwise from the
// x axis. The painter sets mask[y * width + x] to 1 for each pixel the text
// covers; the mask is the layers' size and starts all 0.
struct TextRequest {
  std::string_view gbk_text;
  int x = 0;
  int y = 0;
  int escapement = 0;
};
using TextMaskPainter =
    std::function<void(const TextRequest& text, int width, int height, std::vector<uint8_t>& mask)>;

class PixelSurface final : public DrawingSurface {
 public:
  // Both layers white, the ink layer then the key colour; black pen on white.
  // Layers that cannot be allocated at that size are 1 x 1 (Width and Height
  // tell), for the owner to refuse.
  PixelSurface(int width, int height);

  // The key colour itself is raised to blue 63, so that ink stays ink.
  void SetPenColour(uint32_t colour);
  // Out-of-range widths (<= 0 or > 65534) become 1.
  void SetPenWidth(int width);
  void SetBackgroundColour(uint32_t colour);
  void SetTextPainter(TextMaskPainter painter) { text_painter_ = std::move(painter); }

  void DrawSegment(TurtlePoint from, TurtlePoint to) override;
  void PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) override;
  void RequestRepaint(bool) override {}
  void EraseInk() override;
  void RefreshBackground() override;

  // Replaces the drawing with `ink` (the layers' size) and rebuilds the
  // visible layer; false, changing nothing, when the size differs.
  bool RestoreInk(std::vector<uint32_t> ink);

  const std::vector<uint32_t>& VisibleLayer() const { return visible_; }
  const std::vector<uint32_t>& InkLayer() const { return ink_; }
  PixelView Visible() const { return {visible_.data(), width_, width_, height_}; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t PenColour() const { return pen_colour_; }
  int PenWidth() const { return pen_width_; }
  uint32_t BackgroundColour() const { return background_colour_; }

 private:
  bool MakeLayers(int width, int height);
  PixelLayers Layers();
  void DrawWideLine(int32_t from_x, int32_t from_y, int32_t to_x, int32_t to_y);
  void CopyInkOntoVisible();

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> visible_;
  std::vector<uint32_t> ink_;
  uint32_t pen_colour_ = 0;
  uint32_t background_colour_ = 0xFFFFFF;
  int pen_width_ = 1;
  TextMaskPainter text_painter_;
};

}  // namespace dravel
