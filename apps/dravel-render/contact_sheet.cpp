#include "apps/dravel-render/contact_sheet.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "canvas/raster_surface.h"
#include "canvas/text_painter.h"

namespace dravel {
namespace {

constexpr int kMargin = 12;
constexpr int kCaptionPixels = 16;

QFont CaptionFont() {
  QFont font(TextPainterFont().family());
  font.setPixelSize(kCaptionPixels);
  return font;
}

// The tallest thumbnail, within two widths; three quarters of a width when
// no script left a picture.
int ThumbnailHeight(const std::vector<SheetEntry>& entries) {
  int height = 0;
  for (const SheetEntry& entry : entries)
    if (!entry.picture.isNull())
      height = std::max(height, entry.picture.height() * kThumbnailWidth / entry.picture.width());
  return height == 0 ? kThumbnailWidth * 3 / 4 : std::min(height, kThumbnailWidth * 2);
}

void DrawCell(QPainter& painter, const SheetEntry& entry, const QRect& box, int caption_height) {
  painter.fillRect(box.adjusted(0, 0, 0, -caption_height), QColor(0xE0, 0xE0, 0xE0));
  if (!entry.picture.isNull()) {
    const QImage thumbnail = entry.picture.scaled(box.width(), box.height() - caption_height,
                                                  Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(box.topLeft(), thumbnail);
  }
  const QFontMetrics metrics(painter.font());
  const int line = metrics.height();
  QRect text(box.left(), box.bottom() - caption_height + 4, box.width(), line);
  const int score_width =
      entry.score.isEmpty() ? 0 : metrics.horizontalAdvance(entry.score) + metrics.height() / 2;
  painter.setPen(Qt::black);
  painter.drawText(text, Qt::AlignLeft,
                   metrics.elidedText(entry.name, Qt::ElideMiddle, box.width() - score_width));
  painter.setPen(QColor(0, 0, 0xA0));
  painter.drawText(text, Qt::AlignRight, entry.score);
  if (entry.problem.isEmpty()) return;
  painter.setPen(QColor(0xC0, 0, 0));
  painter.drawText(text.translated(0, line), Qt::AlignLeft,
                   metrics.elidedText(entry.problem, Qt::ElideRight, box.width()));
}

}  // namespace

QImage ContactSheet(const std::vector<SheetEntry>& entries) {
  const QFont font = CaptionFont();
  const int caption_height = QFontMetrics(font).height() * 2 + 8;
  const int cell_height = ThumbnailHeight(entries) + caption_height;
  const int count = std::max<int>(int(entries.size()), 1);
  const int columns = std::min(count, kSheetColumns);
  const int rows = (count + columns - 1) / columns;
  QImage sheet = NewLayerImage(QSize(kMargin + columns * (kThumbnailWidth + kMargin),
                                     kMargin + rows * (cell_height + kMargin)));
  if (sheet.isNull()) return sheet;
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setFont(font);
  if (entries.empty()) {
    painter.drawText(sheet.rect(), Qt::AlignCenter, QStringLiteral("(no .dvg files)"));
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

}  // namespace dravel
