#include "apps/dravel-render/contact_sheet.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <utility>

#include "canvas/pixel_memory.h"
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
  for (const SheetEntry& entry : entries) {
    const QSize size = QImageReader(entry.picture).size();
    if (!size.isEmpty()) height = std::max(height, size.height() * kThumbnailWidth / size.width());
  }
  return height == 0 ? kThumbnailWidth * 3 / 4 : std::min(height, kThumbnailWidth * 2);
}

void DrawCell(QPainter& painter, const SheetEntry& entry, const QRect& box, int caption_height) {
  painter.fillRect(box.adjusted(0, 0, 0, -caption_height), QColor(0xE0, 0xE0, 0xE0));
  const QImage picture(entry.picture);
  if (!picture.isNull()) {
    painter.drawImage(box.topLeft(), picture.scaled(box.width(), box.height() - caption_height,
                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation));
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

// The source pixels [begin, end) that target pixel `i` of `count` covers.
std::pair<int, int> Covered(int i, int count, int source) {
  const int begin = int(int64_t(i) * source / count);
  return {begin, std::max(begin + 1, int(int64_t(i + 1) * source / count))};
}

QRgb Average(const QImage& picture, std::pair<int, int> xs, std::pair<int, int> ys) {
  uint64_t red = 0, green = 0, blue = 0;
  for (int y = ys.first; y < ys.second; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    for (int x = xs.first; x < xs.second; ++x) {
      red += qRed(row[x]), green += qGreen(row[x]), blue += qBlue(row[x]);
    }
  }
  const uint64_t n = uint64_t(xs.second - xs.first) * uint64_t(ys.second - ys.first);
  return qRgb(int(red / n), int(green / n), int(blue / n));
}

}  // namespace

QImage Thumbnail(const QImage& picture) {
  if (picture.isNull()) return {};  // it could not be made
  assert(picture.format() == QImage::Format_RGB32);
  const int height =
      std::max(1, int(int64_t(picture.height()) * kThumbnailWidth / picture.width()));
  QImage thumbnail(kThumbnailWidth, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(thumbnail.scanLine(y));
    const auto ys = Covered(y, height, picture.height());
    for (int x = 0; x < kThumbnailWidth; ++x)
      row[x] = Average(picture, Covered(x, kThumbnailWidth, picture.width()), ys);
  }
  return thumbnail;
}

QImage ContactSheet(const std::vector<SheetEntry>& entries) {
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

QByteArray SheetPng(const QImage& sheet) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  return QImageWriter(&buffer, "png").write(sheet) ? bytes : QByteArray();
}

}  // namespace dravel
