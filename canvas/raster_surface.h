// The raster drawing surface: the visible layer (background plus drawing) and
// the ink layer (drawing only, on the key colour), the pen, the background and
// composing a frame with the sprites. Lines of width 1 are drawn by our own
// Bresenham loop straight into the scan lines of both layers; wider pens and
// text go through QPainter without antialiasing. The surface is not
// thread-safe and never touches a widget: repaint requests go to a callback.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/drawing_surface.h"
#include "canvas/pixel_format.h"
#include "canvas/pixel_image.h"

namespace dravel {

// How a background picture is laid out on the canvas.
enum class PictureMode : int32_t {
  TopLeft = 0,  // at its own size, at the top-left corner
  Stretch = 1,  // stretched to the whole canvas
  Tile = 2,     // repeated from the top-left corner
  Centre = 3,   // at its own size, centred
};

// One sprite to compose: a frame facing up, to be turned to `heading` and
// centred on `position`.
struct SpritePose {
  TurtlePoint position;
  double heading = 0;
  const QImage* frame = nullptr;
};

// An RGB32 image of `size`, and a deep copy of `image`: null when they
// cannot be allocated (pixel_memory.h). Every layer-sized image of the
// canvas is made through these.
QImage NewLayerImage(QSize size);
QImage LayerCopy(const QImage& image);
// The pixels of an RGB32 (or ARGB32) image, for the plain pixel code.
PixelView ViewOf(const QImage& image);

// Clips the segment a-b to the rectangle [low, high] in both axes
// (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(QPointF& a, QPointF& b, double low_x, double low_y, double high_x, double high_y);

class RasterSurface final : public DrawingSurface {
 public:
  // Layers that cannot be allocated at that size are 1 x 1 (Width and Height
  // tell), for the owner to refuse.
  RasterSurface(int width, int height);

  // Sizes both layers to `width` x `height` (at least 1 x 1), fills them white
  // and the ink layer then with the key colour. `first` also sets the start
  // values: black pen, white background. False, changing nothing, when the
  // new layers cannot be allocated.
  bool CreateLayers(int width, int height, bool first);
  void SetRepaintCallback(std::function<void(bool erase)> callback);

  // The key colour itself is raised to blue 63, so that ink stays ink.
  void SetPenColour(uint32_t colour);
  // Out-of-range widths (<= 0 or > 65534) become 1.
  void SetPenWidth(int width);
  void SetBackgroundColour(uint32_t colour);
  // A null picture removes it. Unknown modes draw at the top-left.
  void SetBackgroundPicture(QImage picture, int32_t mode);

  void DrawSegment(TurtlePoint from, TurtlePoint to) override;
  void PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) override;
  void RequestRepaint(bool erase) override;
  void EraseInk() override;
  void RefreshBackground() override;

  // The visible layer with the sprites drawn on a copy, in the given order;
  // null when the copy cannot be allocated.
  QImage Compose(const std::vector<SpritePose>& sprites) const;

  // The background colour with the picture laid out on it, without the
  // drawing; null when there is no picture or no memory for it.
  QImage BackgroundPicture() const;
  bool HasPicture() const { return !picture_.isNull(); }

  const QImage& VisibleLayer() const { return visible_; }
  const QImage& InkLayer() const { return ink_; }
  int Width() const { return visible_.width(); }
  int Height() const { return visible_.height(); }
  uint32_t PenColour() const { return pen_colour_; }
  int PenWidth() const { return pen_width_; }
  uint32_t BackgroundColour() const { return background_colour_; }

 private:
  QPoint PixelAt(TurtlePoint point) const;
  void DrawThinLine(QPoint from, QPoint to);
  void DrawWideLine(QPoint from, QPoint to);
  void FillVisible();
  void DrawPicture(QImage& target) const;
  void CopyInkOntoVisible();
  void DrawSprite(QImage& target, const SpritePose& sprite) const;

  QImage visible_;
  QImage ink_;
  uint32_t* visible_bits_ = nullptr;
  uint32_t* ink_bits_ = nullptr;
  QImage picture_;
  PictureMode picture_mode_ = PictureMode::TopLeft;
  uint32_t pen_colour_ = 0;
  uint32_t background_colour_ = 0xFFFFFF;
  int pen_width_ = 1;
  std::function<void(bool)> repaint_;
};

}  // namespace dravel
