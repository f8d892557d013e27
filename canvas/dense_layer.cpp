#include "canvas/dense_layer.h"

#include <QPainter>
#include <cmath>

#include "canvas/qt_pixels.h"
#include "canvas/text_mask.h"

namespace dravel {
namespace {

QColor ColourOfRecord(uint32_t colour) { return QColor::fromRgb(PixelOf(colour)); }

// The bundled font's face by its family name, antialiased at this resolution.
QFont DenseTextFont() {
  QFont font(QString::fromLatin1(kTextFontFamily));
  font.setPixelSize(kTextPixelSize);
  font.setWeight(QFont::Normal);
  return font;
}

void DrawLine(QPainter& painter, const RecordedLine& line) {
  // As the vector export strokes them: wide pens round at the ends and joins.
  QPen pen(ColourOfRecord(line.colour), std::max(line.width, 1));
  pen.setCapStyle(line.width > 1 ? Qt::RoundCap : Qt::SquareCap);
  painter.setPen(pen);
  painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
}

void DrawText(QPainter& painter, const RecordedText& text) {
  painter.save();
  painter.setPen(ColourOfRecord(text.colour));
  painter.translate(text.x, text.y);
  painter.rotate(-text.degrees);
  painter.drawText(QPointF(0, text.ascent), QString::fromStdString(text.utf8));
  painter.restore();
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
  const QSize size = (QSizeF(record.Size().width, record.Size().height) * ratio).toSize();
  const bool stale = layer_.isNull() || canvas.LookVersion() != look_ ||
                     layer_.devicePixelRatio() != ratio || layer_.size() != size ||
                     record.Lines().size() < lines_drawn_ || record.Texts().size() < texts_drawn_;
  if (stale) Restart(canvas, record, ratio);
  if (!layer_.isNull()) DrawNewItems(record);
}

void DenseLayer::Restart(const Canvas& canvas, const DrawingRecord& record, double ratio) {
  const QSizeF logical(record.Size().width, record.Size().height);
  const PixelImage picture = canvas.BackgroundPicture();
  layer_ = picture.Empty() && canvas.HasBackgroundPicture()
               ? QImage()
               : NewLayerImage((logical * ratio).toSize());
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
void DenseLayer::DrawNewItems(const DrawingRecord& record) {
  const std::vector<RecordedLine>& lines = record.Lines();
  const std::vector<RecordedText>& texts = record.Texts();
  if (lines_drawn_ == lines.size() && texts_drawn_ == texts.size()) return;
  QPainter painter(&layer_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(DenseTextFont());
  while (lines_drawn_ < lines.size() || texts_drawn_ < texts.size()) {
    if (texts_drawn_ < texts.size() && texts[texts_drawn_].lines_before <= lines_drawn_) {
      DrawText(painter, texts[texts_drawn_++]);
    } else {
      DrawLine(painter, lines[lines_drawn_++]);
    }
  }
}

}  // namespace dravel
