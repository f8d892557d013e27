#include "canvas/text_painter.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include "canvas/qt_pixels.h"
#include "runtime/gbk_codec.h"

namespace dravel {

QFont TextPainterFont() {
  QFont font(QString::fromLatin1(kTextFontFamily));
  font.setPixelSize(kTextPixelSize);
  font.setWeight(QFont::Normal);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// The text is drawn in white on black into an image of its turned box,
// clipped to the layer; every pixel it touches is covered. Moving the
// painter by whole pixels keeps the glyphs' pixels as they would fall on
// the layer itself.
TextMask PaintTextMask(const TextRequest& request) {
  const std::string_view gbk = request.gbk_text.substr(0, request.gbk_text.find('\0'));
  if (gbk.empty() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    return {};
  const QString text = QString::fromStdString(GbkToUtf8(gbk));
  const QFont font = TextPainterFont();
  const QFontMetrics metrics(font);
  TextMask mask;
  mask.ascent = metrics.ascent();
  const QRect box = [&] {
    const TextBox turned =
        TurnedTextBox(request, metrics.horizontalAdvance(text), metrics.height());
    return QRect(turned.left, turned.top, turned.width, turned.height);
  }();
  // Without the memory for its box the text is left out, not half drawn.
  QImage image = box.isEmpty() ? QImage() : NewLayerImage(box.size());
  if (image.isNull()) return mask;
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.translate(request.x - box.left(), request.y - box.top());
  painter.rotate(-request.escapement / 10.0);
  painter.drawText(QPoint(0, metrics.ascent()), text);
  painter.end();
  mask.left = box.left();
  mask.top = box.top();
  mask.width = box.width();
  mask.height = box.height();
  mask.coverage.resize(size_t(box.width()) * size_t(box.height()));
  for (int y = 0; y < box.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < box.width(); ++x)
      mask.coverage[size_t(y) * size_t(box.width()) + size_t(x)] = qRed(row[x]) != 0;
  }
  return mask;
}

}  // namespace dravel
