#include "canvas/raster_surface.h"

#include <QPainter>
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "canvas/pixel_image.h"
#include "canvas/pixel_memory.h"
#include "canvas/sprite_images.h"
#include "canvas/text_painter.h"
#include "canvas/thin_line.h"
#include "canvas/turtle_model.h"

namespace dravel {
namespace {

PixelTarget TargetOf(QImage& image) {
  return {reinterpret_cast<uint32_t*>(image.bits()), image.bytesPerLine() / 4, image.width(),
          image.height()};
}

}  // namespace

PixelView ViewOf(const QImage& image) {
  assert(image.depth() == 32);
  return {reinterpret_cast<const uint32_t*>(image.constBits()), image.bytesPerLine() / 4,
          image.width(), image.height()};
}

QImage NewLayerImage(QSize size) {
  const size_t bytes = size_t(std::max(size.width(), 0)) * size_t(std::max(size.height(), 0)) * 4;
  if (!WithinPixelLimit(bytes)) return {};
  return QImage(size, QImage::Format_RGB32);
}

QImage LayerCopy(const QImage& image) {
  if (!WithinPixelLimit(size_t(image.sizeInBytes()))) return {};
  return image.copy();
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

RasterSurface::RasterSurface(int width, int height) {
  if (CreateLayers(width, height, true)) return;
  [[maybe_unused]] const bool made = CreateLayers(1, 1, true);
  assert(made);
}

bool RasterSurface::CreateLayers(int width, int height, bool first) {
  const QSize size(std::max(width, 1), std::max(height, 1));
  QImage visible = NewLayerImage(size);
  QImage ink = visible.isNull() ? QImage() : NewLayerImage(size);
  if (ink.isNull()) return false;
  visible_ = std::move(visible);
  ink_ = std::move(ink);
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
  return true;
}

void RasterSurface::SetRepaintCallback(std::function<void(bool)> callback) {
  repaint_ = std::move(callback);
}

void RasterSurface::SetPenColour(uint32_t colour) { pen_colour_ = DrawnPenColour(colour); }

void RasterSurface::SetPenWidth(int width) { pen_width_ = DrawnPenWidth(width); }

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

void RasterSurface::DrawThinLine(QPoint from, QPoint to) {
  const PixelLayers layers{visible_bits_, ink_bits_, visible_.bytesPerLine() / 4, Width(),
                           Height()};
  dravel::DrawThinLine(layers, from.x(), from.y(), to.x(), to.y(), PixelOf(pen_colour_));
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
  QImage background = NewLayerImage(visible_.size());
  if (background.isNull()) return background;
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

void RasterSurface::CopyInkOntoVisible() {
  CopyKeyed(TargetOf(visible_), ViewOf(ink_), 0, 0, PixelOf(kKeyColour));
}

QImage RasterSurface::Compose(const std::vector<SpritePose>& sprites) const {
  QImage frame = LayerCopy(visible_);
  if (frame.isNull()) return frame;
  for (const SpritePose& sprite : sprites) DrawSprite(frame, sprite);
  return frame;
}

// The frame is turned to the heading and centred on the turtle. Before it is
// laid on, the area of the frame turned by 45 degrees is copied back from the
// visible layer at the same top-left, which also wipes earlier sprites there.
void RasterSurface::DrawSprite(QImage& target, const SpritePose& sprite) const {
  if (sprite.frame == nullptr || sprite.frame->isNull()) return;
  const QImage turned = TurnFrame(*sprite.frame, sprite.heading);
  if (turned.isNull()) return;
  const int64_t left = TruncSaturated(sprite.position.x - turned.width() / 2 + Width() / 2);
  const int64_t top = TruncSaturated(Height() / 2 - (turned.height() / 2 + sprite.position.y));
  const QSize box = TurnedBox(sprite.frame->size(), 45);
  CopyBack(TargetOf(target), ViewOf(visible_).pixels, left, top, {box.width(), box.height()});
  CopyKeyed(TargetOf(target), ViewOf(turned), left, top, kWhitePixel);
}

}  // namespace dravel
