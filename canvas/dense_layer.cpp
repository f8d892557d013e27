#include "canvas/dense_layer.h"

#include <QPainter>
#include <cmath>

#include "canvas/sprite_images.h"
#include "canvas/text_painter.h"
#include "canvas/turtle_model.h"

namespace dravel {
namespace {

QColor ColourOfRecord(uint32_t colour) { return QColor::fromRgb(PixelOf(colour)); }

QFont DenseTextFont() {
  QFont font = TextPainterFont();
  font.setStyleStrategy(QFont::PreferDefault);  // antialiased at this resolution
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
  static const int ascent = QFontMetrics(TextPainterFont()).ascent();
  painter.save();
  painter.setPen(ColourOfRecord(text.colour));
  painter.translate(text.x, text.y);
  painter.rotate(-text.degrees);
  painter.drawText(QPointF(0, ascent), QString::fromStdString(text.utf8));
  painter.restore();
}

// The sprite frame with its white made see-through, for smooth scaling.
QImage SeeThrough(const QImage& turned) {
  QImage image = turned.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* pixel = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (pixel[x] == kWhitePixel) pixel[x] = 0;
    }
  }
  return image;
}

}  // namespace

const QImage& DenseLayer::Update(const DrawingRecord& record, uint64_t look, double ratio,
                                 const QImage& background) {
  const QSize size = (QSizeF(record.Size()) * ratio).toSize();
  const bool stale = layer_.isNull() || look != look_ || layer_.devicePixelRatio() != ratio ||
                     layer_.size() != size || record.Lines().size() < lines_drawn_ ||
                     record.Texts().size() < texts_drawn_;
  if (stale) Restart(record, look, ratio, background);
  if (!layer_.isNull()) DrawNewItems(record);
  return layer_;
}

void DenseLayer::Restart(const DrawingRecord& record, uint64_t look, double ratio,
                         const QImage& background) {
  layer_ = NewLayerImage((QSizeF(record.Size()) * ratio).toSize());
  if (layer_.isNull()) return;
  layer_.setDevicePixelRatio(ratio);
  QPainter painter(&layer_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(QPointF(0, 0), QSizeF(record.Size())), background);
  look_ = look;
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

void DenseLayer::DrawSprite(QImage& frame, const SpritePose& sprite, QSize size) {
  if (sprite.frame == nullptr || sprite.frame->isNull()) return;
  const QImage turned = TurnFrame(*sprite.frame, sprite.heading);
  const int64_t left = TruncSaturated(sprite.position.x - turned.width() / 2 + size.width() / 2);
  const int64_t top = TruncSaturated(size.height() / 2 - (turned.height() / 2 + sprite.position.y));
  if (left >= size.width() || top >= size.height() || left + turned.width() <= 0 ||
      top + turned.height() <= 0) {
    return;
  }
  QPainter painter(&frame);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(left, top, turned.width(), turned.height()), SeeThrough(turned));
}

}  // namespace dravel
