#include "apps/dravel-render/text_library/contact_sheet.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <utility>

#include "canvas/pixel_memory.h"
#include "canvas/text_mask.h"
#include "marking/teacher_words.h"

namespace dravel {
namespace {

constexpr int kMargin = 12;
constexpr int kCaptionPixels = 16;

QFont CaptionFont() {
  QFont font(QString::fromLatin1(kTextFontFamily));
  font.setPixelSize(kCaptionPixels);
  return font;
}

// The tallest thumbnail, within two widths; three quarters of a width when
// no script left a picture.
int ThumbnailHeight(std::span<const DravelSheetEntry> entries) {
  int height = 0;
  for (const DravelSheetEntry& entry : entries) {
    const QSize size = QImageReader(QFile::decodeName(entry.thumbnail)).size();
    if (!size.isEmpty()) height = std::max(height, size.height() * kThumbnailWidth / size.width());
  }
  return height == 0 ? kThumbnailWidth * 3 / 4 : std::min(height, kThumbnailWidth * 2);
}

void DrawCell(QPainter& painter, const DravelSheetEntry& entry, const QRect& box,
              int caption_height) {
  painter.fillRect(box.adjusted(0, 0, 0, -caption_height), QColor(0xE0, 0xE0, 0xE0));
  const QImage picture(QFile::decodeName(entry.thumbnail));
  if (!picture.isNull()) {
    painter.drawImage(box.topLeft(), picture.scaled(box.width(), box.height() - caption_height,
                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  const QFontMetrics metrics(painter.font());
  const int line = metrics.height();
  QRect text(box.left(), box.bottom() - caption_height + 4, box.width(), line);
  const QString score = entry.score ? QString::fromUtf8(entry.score) : QString();
  const int score_width =
      score.isEmpty() ? 0 : metrics.horizontalAdvance(score) + metrics.height() / 2;
  painter.setPen(Qt::black);
  painter.drawText(text, Qt::AlignLeft,
                   metrics.elidedText(QString::fromUtf8(entry.name), Qt::ElideMiddle,
                                      box.width() - score_width));
  painter.setPen(QColor(0, 0, 0xA0));
  painter.drawText(text, Qt::AlignRight, score);
  if (entry.note == nullptr) return;
  painter.setPen(entry.note_is_failure ? QColor(0xC0, 0, 0) : QColor(0x90, 0x50, 0));
  painter.drawText(text.translated(0, line), Qt::AlignLeft,
                   metrics.elidedText(QString::fromUtf8(entry.note), Qt::ElideRight, box.width()));
}

}  // namespace

QImage ContactSheet(std::span<const DravelSheetEntry> entries) {
  const QFont font = CaptionFont();
  const int caption_height = QFontMetrics(font).height() * 2 + 8;
  const int cell_height = ThumbnailHeight(entries) + caption_height;
  const int count = std::max<int>(int(entries.size()), 1);
  const int columns = std::min(count, kSheetColumns);
  const int rows = (count + columns - 1) / columns;
  const QSize size(kMargin + columns * (kThumbnailWidth + kMargin),
                   kMargin + rows * (cell_height + kMargin));
  QImage sheet;
  if (WithinPixelLimit(size_t(size.width()) * size_t(size.height()) * 3))
    sheet = QImage(size, QImage::Format_RGB888);
  if (sheet.isNull()) return sheet;
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setFont(font);
  if (entries.empty()) {
    painter.drawText(sheet.rect(), Qt::AlignCenter,
                     QString::fromStdString(SaidText(Said::kSheetEmpty)));
    return sheet;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const int column = int(i) % columns, row = int(i) / columns;
    const QRect box(kMargin + column * (kThumbnailWidth + kMargin),
                    kMargin + row * (cell_height + kMargin), kThumbnailWidth, cell_height);
    DrawCell(painter, entries[i], box, caption_height);
  }
  return sheet;
}

QByteArray SheetPng(const QImage& sheet) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  return QImageWriter(&buffer, "png").write(sheet) ? bytes : QByteArray();
}

}  // namespace dravel
