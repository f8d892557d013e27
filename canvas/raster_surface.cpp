#include "canvas/raster_surface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "canvas/sprite_images.h"
#include "canvas/text_painter.h"
#include "canvas/turtle_model.h"

namespace dravel {
namespace {

// Pixel coordinates wide enough for a saturated turtle point plus the centre.
struct Pixel {
  int64_t x;
  int64_t y;
};

// One line in major/minor axis terms: the major coordinate moves by one each
// step, the minor one by Bresenham's rule.
struct AxisLine {
  int64_t major;
  int64_t minor;
  int64_t major_delta;
  int64_t minor_delta;
  int64_t major_limit;
  int64_t minor_limit;
};

// The steps k of [0, steps) whose major coordinate lies in [0, limit).
std::pair<int64_t, int64_t> VisibleSteps(const AxisLine& line) {
  const int64_t steps = std::llabs(line.major_delta);
  int64_t first;
  int64_t end;
  if (line.major_delta > 0) {
    first = -line.major;
    end = line.major_limit - line.major;
  } else {
    first = line.major - line.major_limit + 1;
    end = line.major + 1;
  }
  return {std::max<int64_t>(first, 0), std::min(end, steps)};
}

void CopyKeyed(QImage& target, const QImage& source, int64_t left, int64_t top, uint32_t key) {
  const int64_t x0 = std::max<int64_t>(left, 0);
  const int64_t y0 = std::max<int64_t>(top, 0);
  const int64_t x1 = std::min<int64_t>(left + source.width(), target.width());
  const int64_t y1 = std::min<int64_t>(top + source.height(), target.height());
  for (int64_t y = y0; y < y1; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(target.scanLine(int(y)));
    auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(int(y - top)));
    for (int64_t x = x0; x < x1; ++x) {
      const uint32_t pixel = in[x - left];
      if (pixel != key) out[x] = pixel;
    }
  }
}

// Copies the rectangle at (left, top) of `size` from `source` into `target`
// at the same place, clipped to both.
void CopyBack(QImage& target, const QImage& source, int64_t left, int64_t top, QSize size) {
  const int64_t x0 = std::max<int64_t>(left, 0);
  const int64_t y0 = std::max<int64_t>(top, 0);
  const int64_t x1 = std::min<int64_t>(left + size.width(), target.width());
  const int64_t y1 = std::min<int64_t>(top + size.height(), target.height());
  if (x0 >= x1) return;
  for (int64_t y = y0; y < y1; ++y) {
    std::copy_n(reinterpret_cast<const uint32_t*>(source.constScanLine(int(y))) + x0, x1 - x0,
                reinterpret_cast<uint32_t*>(target.scanLine(int(y))) + x0);
  }
}

}  // namespace

uint32_t PixelOf(uint32_t colour) {
  const uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

uint32_t ColourOf(uint32_t pixel) {
  const uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
  return red | green << 8 | blue << 16;
}

bool ClipSegment(QPointF& a, QPointF& b, double low_x, double low_y, double high_x, double high_y) {
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - low_x, high_x - a.x(), a.y() - low_y, high_y - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const QPointF start = a;
  a = start + QPointF(dx, dy) * t0;
  b = start + QPointF(dx, dy) * t1;
  return true;
}

RasterSurface::RasterSurface(int width, int height) { CreateLayers(width, height, true); }

void RasterSurface::CreateLayers(int width, int height, bool first) {
  visible_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  ink_ = QImage(visible_.size(), QImage::Format_RGB32);
  // The layers are never shared (every copy handed out is a deep one), so
  // their pixels stay where bits() first put them.
  visible_bits_ = reinterpret_cast<uint32_t*>(visible_.bits());
  ink_bits_ = reinterpret_cast<uint32_t*>(ink_.bits());
  visible_.fill(kWhitePixel);
  if (first) {
    pen_colour_ = 0;
    background_colour_ = 0xFFFFFF;
  }
  ink_.fill(PixelOf(kKeyColour));
  RequestRepaint(true);
}

void RasterSurface::SetRepaintCallback(std::function<void(bool)> callback) {
  repaint_ = std::move(callback);
}

void RasterSurface::SetPenColour(uint32_t colour) {
  colour &= 0xFFFFFF;
  pen_colour_ = colour == kKeyColour ? kKeyColour + 0x010000 : colour;
}

void RasterSurface::SetPenWidth(int width) {
  pen_width_ = width <= 0 || width > kMaxPenWidth ? 1 : width;
}

void RasterSurface::SetBackgroundColour(uint32_t colour) {
  background_colour_ = colour & 0xFFFFFF;
  FillVisible();
  CopyInkOntoVisible();
  RequestRepaint(true);
}

void RasterSurface::SetBackgroundPicture(QImage picture, int32_t mode) {
  picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  picture_mode_ = mode >= 0 && mode <= 3 ? static_cast<PictureMode>(mode) : PictureMode::TopLeft;
}

QPoint RasterSurface::PixelAt(TurtlePoint point) const {
  return {RoundSaturated(point.x), RoundSaturated(point.y)};
}

void RasterSurface::DrawSegment(TurtlePoint from, TurtlePoint to) {
  const QPoint a = PixelAt(from), b = PixelAt(to);
  if (a == b) return;
  if (pen_width_ <= 1)
    DrawThinLine(a, b);
  else
    DrawWideLine(a, b);
  RequestRepaint(false);
}

// Width 1 as GDI draws it: Bresenham's pixels from the start pixel up to, but
// not including, the end pixel, clipped to the layers without walking the
// parts outside them. `from` and `to` are rounded turtle offsets.
void RasterSurface::DrawThinLine(QPoint from, QPoint to) {
  const Pixel a{int64_t{Width() / 2} + from.x(), int64_t{Height() / 2} - from.y()};
  const Pixel b{int64_t{Width() / 2} + to.x(), int64_t{Height() / 2} - to.y()};
  const bool x_major = std::llabs(b.x - a.x) >= std::llabs(b.y - a.y);
  const AxisLine line = x_major ? AxisLine{a.x, a.y, b.x - a.x, b.y - a.y, Width(), Height()}
                                : AxisLine{a.y, a.x, b.y - a.y, b.x - a.x, Height(), Width()};
  const auto [first, end] = VisibleSteps(line);
  if (first >= end) return;
  const int64_t major_step = line.major_delta > 0 ? 1 : -1;
  const int64_t minor_step = line.minor_delta > 0 ? 1 : -1;
  const int64_t run = std::llabs(line.major_delta) * 2;
  const int64_t rise = std::llabs(line.minor_delta) * 2;
  // The minor offset at step k is floor((k * rise + run / 2) / run). Most
  // lines start on the canvas (k = 0), which needs no wide division.
  int64_t minor_offset = 0;
  int64_t remainder = run / 2;
  if (first != 0) {
    const __int128 start = static_cast<__int128>(first) * rise + run / 2;
    minor_offset = static_cast<int64_t>(start / run);
    remainder = static_cast<int64_t>(start % run);
  }
  uint32_t* const visible = visible_bits_;
  uint32_t* const ink = ink_bits_;
  const int64_t stride = visible_.bytesPerLine() / 4;
  const uint32_t pixel = PixelOf(pen_colour_);
  int64_t major = line.major + first * major_step;
  for (int64_t k = first; k < end; ++k, major += major_step) {
    const int64_t minor = line.minor + minor_offset * minor_step;
    if (minor >= 0 && minor < line.minor_limit) {
      const int64_t at = x_major ? minor * stride + major : major * stride + minor;
      visible[at] = pixel;
      ink[at] = pixel;
    }
    remainder += rise;
    if (remainder >= run) {
      remainder -= run;
      ++minor_offset;
    }
  }
}

// Wider pens: a solid line with round ends, without antialiasing. The line is
// first clipped to the canvas grown by the pen width, so far-out points never
// reach QPainter.
void RasterSurface::DrawWideLine(QPoint from, QPoint to) {
  const double cx = Width() / 2, cy = Height() / 2;
  QPointF a(cx + from.x(), cy - from.y()), b(cx + to.x(), cy - to.y());
  const double margin = pen_width_;
  if (!ClipSegment(a, b, -margin, -margin, Width() + margin, Height() + margin)) return;
  QPen pen(QColor::fromRgb(PixelOf(pen_colour_)), pen_width_, Qt::SolidLine, Qt::RoundCap,
           Qt::RoundJoin);
  for (QImage* layer : {&visible_, &ink_}) {
    QPainter painter(layer);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.drawLine(a, b);
  }
}

void RasterSurface::PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) {
  const QPoint offset = PixelAt(anchor);
  const QPoint pixel(Width() / 2 + std::clamp(offset.x(), -(1 << 24), 1 << 24),
                     Height() / 2 - std::clamp(offset.y(), -(1 << 24), 1 << 24));
  // Escapement in tenths of a degree, anticlockwise from the x axis.
  const int escapement = TruncSaturated(450 - heading) * 10;
  const TextPainter text(gbk_text, pixel, escapement, PixelOf(pen_colour_));
  text.Draw(visible_);
  text.Draw(ink_);
  RequestRepaint(false);
}

void RasterSurface::RequestRepaint(bool erase) {
  if (repaint_) repaint_(erase);
}

void RasterSurface::EraseInk() {
  ink_.fill(PixelOf(kKeyColour));
  SetBackgroundColour(background_colour_);
  RequestRepaint(false);
}

void RasterSurface::RefreshBackground() {
  if (picture_.isNull()) {
    SetBackgroundColour(background_colour_);
    return;
  }
  FillVisible();
  DrawPicture(visible_);
  CopyInkOntoVisible();
  RequestRepaint(false);
}

void RasterSurface::FillVisible() { visible_.fill(PixelOf(background_colour_)); }

QImage RasterSurface::BackgroundPicture() const {
  if (picture_.isNull()) return {};
  QImage background(visible_.size(), QImage::Format_RGB32);
  background.fill(PixelOf(background_colour_));
  DrawPicture(background);
  return background;
}

void RasterSurface::DrawPicture(QImage& target) const {
  QPainter painter(&target);
  switch (picture_mode_) {
    case PictureMode::TopLeft: painter.drawImage(0, 0, picture_); break;
    case PictureMode::Stretch: painter.drawImage(target.rect(), picture_); break;
    case PictureMode::Tile:
      painter.drawTiledPixmap(target.rect(), QPixmap::fromImage(picture_));
      break;
    case PictureMode::Centre:
      painter.drawImage((Width() - picture_.width()) / 2, (Height() - picture_.height()) / 2,
                        picture_);
      break;
  }
}

void RasterSurface::CopyInkOntoVisible() { CopyKeyed(visible_, ink_, 0, 0, PixelOf(kKeyColour)); }

QImage RasterSurface::Compose(const std::vector<SpritePose>& sprites) const {
  QImage frame = visible_.copy();
  for (const SpritePose& sprite : sprites) DrawSprite(frame, sprite);
  return frame;
}

// The frame is turned to the heading and centred on the turtle. Before it is
// laid on, the area of the frame turned by 45 degrees is copied back from the
// visible layer at the same top-left, which also wipes earlier sprites there.
void RasterSurface::DrawSprite(QImage& target, const SpritePose& sprite) const {
  if (sprite.frame == nullptr || sprite.frame->isNull()) return;
  const QImage turned = TurnFrame(*sprite.frame, sprite.heading);
  const int64_t left = TruncSaturated(sprite.position.x - turned.width() / 2 + Width() / 2);
  const int64_t top = TruncSaturated(Height() / 2 - (turned.height() / 2 + sprite.position.y));
  CopyBack(target, visible_, left, top, TurnedBox(sprite.frame->size(), 45));
  CopyKeyed(target, turned, left, top, kWhitePixel);
}

}  // namespace dravel
