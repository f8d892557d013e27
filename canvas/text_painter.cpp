#include "canvas/text_painter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr int kTextPixelSize = 24;

// The default face when it can show Chinese, else the first face that can.
QString TextFamily() {
  static const QString family = [] {
    const QString fallback = QFontInfo(QFont()).family();
    if (QFontDatabase::writingSystems(fallback).contains(QFontDatabase::SimplifiedChinese)) {
      return fallback;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? fallback : chinese.front();
  }();
  return family;
}

QFont TextFont() {
  QFont font(TextFamily());
  font.setPixelSize(kTextPixelSize);
  font.setWeight(QFont::Normal);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

QFont TextPainterFont() { return TextFont(); }

TextPainter::TextPainter(std::string_view gbk_text, QPoint anchor, int escapement, uint32_t pixel)
    : anchor_(anchor), degrees_(escapement / 10.0), pixel_(pixel) {
  gbk_text = gbk_text.substr(0, gbk_text.find('\0'));
  text_ = QString::fromStdString(GbkToUtf8(gbk_text));
}

void TextPainter::Draw(QImage& layer) const {
  if (text_.isEmpty() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    return;
  const QFont font = TextFont();
  const QFontMetrics metrics(font);
  // Text turned any way stays within its advance plus height of the anchor.
  const int reach = metrics.horizontalAdvance(text_) + metrics.height();
  if (!layer.rect().adjusted(-reach, -reach, reach, reach).contains(anchor_)) return;
  QPainter painter(&layer);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font);
  painter.setPen(QColor::fromRgb(pixel_));
  painter.translate(anchor_);
  painter.rotate(-degrees_);
  painter.drawText(QPoint(0, metrics.ascent()), text_);
}

}  // namespace dravel
