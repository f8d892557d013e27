#include "canvas/dense_layer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "canvas/qt_pixels.h"
#include "canvas/text_mask.h"

namespace dravel {
namespace {

QColor ColourOfRecord(uint32_t colour) { return QColor::fromRgb(PixelOf(colour)); }

// The layer's size in device pixels, as the text setter scales the canvas.
QSize DenseSize(BoxSize size, double ratio) {
  return {ScaledLength(size.width, ratio), ScaledLength(size.height, ratio)};
}

void DrawLine(QPainter& painter, const RecordedLine& line) {
  // As the vector export strokes them: wide pens round at the ends and joins.
  QPen pen(ColourOfRecord(line.colour), std::max(line.width, 1));
  pen.setCapStyle(line.width > 1 ? Qt::RoundCap : Qt::SquareCap);
  painter.setPen(pen);
  painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
}

// The text set again by the canvas's own painter at the layer's density, as
// the canvas inks it: the covered pixels in its colour, nothing smoothed.
void InkText(QImage& layer, BoxSize size, const TextMaskPainter& painter,
             const RecordedText& text) {
  TextRequest request{text.gbk, text.x, text.y, text.degrees * 10, size.width, size.height};
  request.scale = layer.devicePixelRatio();
  const TextMask mask = painter(request);
  if (mask.coverage.size() != size_t(mask.width) * size_t(mask.height)) return;
  const int x0 = std::max(mask.left, 0), x1 = std::min(mask.left + mask.width, layer.width());
  const int y0 = std::max(mask.top, 0), y1 = std::min(mask.top + mask.height, layer.height());
  const uint32_t ink = PixelOf(text.colour);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* row = mask.coverage.data() + size_t(y - mask.top) * size_t(mask.width);
    auto* pixel = reinterpret_cast<uint32_t*>(layer.scanLine(y));
    for (int x = x0; x < x1; ++x) {
      if (row[x - mask.left] != 0) pixel[x] = ink;
    }
  }
}

// A turned sprite frame with its white made see-through, for smooth scaling.
QImage SeeThrough(const PixelImage& turned) {
  QImage image = ImageOf(turned.View()).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* pixel = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (pixel[x] == kWhitePixel) pixel[x] = 0;
    }
  }
  return image;
}

// Lays `sprite` on `frame` where the layers would show it on a canvas of
// `size`, scaled to the frame's ratio.
void DrawSprite(QImage& frame, const SpritePose& sprite, BoxSize size) {
  if (sprite.frame == nullptr || sprite.frame->Empty()) return;
  const PixelImage turned = TurnPixels(*sprite.frame, sprite.heading);
  const int64_t left = TruncSaturated(sprite.position.x - turned.width / 2 + size.width / 2);
  const int64_t top = TruncSaturated(size.height / 2 - (turned.height / 2 + sprite.position.y));
  if (left >= size.width || top >= size.height || left + turned.width <= 0 ||
      top + turned.height <= 0) {
    return;
  }
  QPainter painter(&frame);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(left, top, turned.width, turned.height), SeeThrough(turned));
}

}  // namespace

QImage DenseLayer::Frame(const Canvas& canvas, double ratio) {
  const DrawingRecord* record = canvas.Record();
  // Past the record's bound only the layers know the drawing; past the dense
  // bound a paint from the record would hold the run up too long.
  if (ratio <= 1 || record == nullptr || record->Incomplete() ||
      record->Lines().size() + record->Texts().size() > kMaxItems) {
    return FrameImage(canvas);
  }
  Update(canvas, *record, ratio);
  // Without the memory for the dense layer or its copy the layers show.
  QImage frame = LayerCopy(layer_);
  if (frame.isNull()) return FrameImage(canvas);
  for (const SpritePose& sprite : canvas.SpritePoses()) DrawSprite(frame, sprite, record->Size());
  return frame;
}

void DenseLayer::Update(const Canvas& canvas, const DrawingRecord& record, double ratio) {
  const QSize size = DenseSize(record.Size(), ratio);
  const bool stale = layer_.isNull() || canvas.LookVersion() != look_ ||
                     layer_.devicePixelRatio() != ratio || layer_.size() != size ||
                     record.Lines().size() < lines_drawn_ || record.Texts().size() < texts_drawn_;
  if (stale) Restart(canvas, record, ratio);
  if (!layer_.isNull()) DrawNewItems(record, canvas.TextPainter());
}

void DenseLayer::Restart(const Canvas& canvas, const DrawingRecord& record, double ratio) {
  const QSizeF logical(record.Size().width, record.Size().height);
  const PixelImage picture = canvas.BackgroundPicture();
  layer_ = picture.Empty() && canvas.HasBackgroundPicture()
               ? QImage()
               : NewLayerImage(DenseSize(record.Size(), ratio));
  if (layer_.isNull()) return;
  layer_.setDevicePixelRatio(ratio);
  layer_.fill(QColor::fromRgb(PixelOf(canvas.BackgroundColour())));
  if (!picture.Empty()) {
    QPainter painter(&layer_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), logical), SharedImage(picture.View()));
  }
  look_ = canvas.LookVersion();
  lines_drawn_ = 0;
  texts_drawn_ = 0;
}

// Lines and texts in drawing order: a text covers the lines drawn before it.
// Lines go through a painter, texts straight into the pixels, so each run of
// lines between two texts has a painter of its own.
void DenseLayer::DrawNewItems(const DrawingRecord& record, const TextMaskPainter& text_painter) {
  const std::vector<RecordedLine>& lines = record.Lines();
  const std::vector<RecordedText>& texts = record.Texts();
  while (lines_drawn_ < lines.size() || texts_drawn_ < texts.size()) {
    if (texts_drawn_ < texts.size() && texts[texts_drawn_].lines_before <= lines_drawn_) {
      if (text_painter) InkText(layer_, record.Size(), text_painter, texts[texts_drawn_]);
      ++texts_drawn_;
      continue;
    }
    const size_t end =
        texts_drawn_ < texts.size() ? texts[texts_drawn_].lines_before : lines.size();
    QPainter painter(&layer_);
    painter.setRenderHint(QPainter::Antialiasing);
    while (lines_drawn_ < end) DrawLine(painter, lines[lines_drawn_++]);
  }
}

}  // namespace dravel
