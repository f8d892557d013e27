// Text on the drawing layers: GBK bytes decoded, set in the 24-pixel default
// face (one that can show Chinese), normal weight, turned by an escapement,
// drawn without background and without antialiasing with its top-left at the
// anchor. Text is skipped when no QGuiApplication exists, since fonts need one.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <string_view>

namespace dravel {

// The face the layers draw text in (family, 24-pixel size, no antialiasing);
// needs a QGuiApplication.
QFont TextPainterFont();

class TextPainter {
 public:
  // `gbk_text` is read up to its first zero byte. `escapement` is in tenths
  // of a degree, anticlockwise; 0 reads left to right.
  TextPainter(std::string_view gbk_text, QPoint anchor, int escapement, uint32_t pixel);

  void Draw(QImage& layer) const;

 private:
  QString text_;
  QPoint anchor_;
  double degrees_;
  uint32_t pixel_;
};

}  // namespace dravel
