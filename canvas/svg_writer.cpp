#include "canvas/svg_writer.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QXmlStreamWriter>

#include "canvas/raster_surface.h"
#include "canvas/text_painter.h"

namespace dravel {
namespace {

QString Number(double value) {
  QString text = QString::number(value, 'f', 2);
  while (text.endsWith('0')) text.chop(1);
  if (text.endsWith('.')) text.chop(1);
  return text == "-0" ? QStringLiteral("0") : text;
}

QString Colour(uint32_t colour) {
  return QStringLiteral("#%1").arg(PixelOf(colour) & 0xFFFFFF, 6, 16, QChar('0'));
}

// XML 1.0 cannot hold most control characters, even escaped.
QString XmlSafe(const QString& text) {
  QString safe;
  safe.reserve(text.size());
  for (QChar c : text) {
    const char16_t code = c.unicode();
    if (code >= 0x20 ? (code != 0xFFFE && code != 0xFFFF) : code == '\t') safe += c;
  }
  return safe;
}

void WriteImage(QXmlStreamWriter& xml, const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  xml.writeEmptyElement("image");
  xml.writeAttribute("x", "0");
  xml.writeAttribute("y", "0");
  xml.writeAttribute("width", QString::number(image.width()));
  xml.writeAttribute("height", QString::number(image.height()));
  xml.writeAttribute("xlink:href", "data:image/png;base64," + QString::fromLatin1(png.toBase64()));
}

bool SameStroke(const RecordedLine& a, const RecordedLine& b) {
  return a.colour == b.colour && a.width == b.width;
}

bool Continues(const RecordedLine& before, const RecordedLine& line) {
  return SameStroke(before, line) && before.x2 == line.x1 && before.y2 == line.y1;
}

class SvgBody {
 public:
  SvgBody(QXmlStreamWriter& xml, const DrawingRecord& record)
      : xml_(xml), lines_(record.Lines()), texts_(record.Texts()) {}

  void Write() {
    size_t next_text = 0;
    for (size_t i = 0; i < lines_.size();) {
      while (next_text < texts_.size() && texts_[next_text].lines_before <= i)
        WriteText(texts_[next_text++]);
      const size_t stop =
          next_text < texts_.size() ? texts_[next_text].lines_before : lines_.size();
      i = WritePolyline(i, stop);
    }
    while (next_text < texts_.size()) WriteText(texts_[next_text++]);
  }

 private:
  // Writes the lines from `first` that join up, up to `stop` (where a text
  // must cover them); returns the index after the last one written.
  size_t WritePolyline(size_t first, size_t stop) {
    QString points = Point(lines_[first].x1, lines_[first].y1);
    size_t end = first;
    do {
      points += ' ' + Point(lines_[end].x2, lines_[end].y2);
      ++end;
    } while (end < stop && Continues(lines_[end - 1], lines_[end]));
    const RecordedLine& line = lines_[first];
    xml_.writeEmptyElement("polyline");
    xml_.writeAttribute("points", points);
    xml_.writeAttribute("stroke", Colour(line.colour));
    if (line.width > 1) {
      xml_.writeAttribute("stroke-width", QString::number(line.width));
      xml_.writeAttribute("stroke-linecap", "round");
      xml_.writeAttribute("stroke-linejoin", "round");
    }
    return end;
  }

  static QString Point(float x, float y) { return Number(x) + ',' + Number(y); }

  void WriteText(const RecordedText& text) {
    xml_.writeStartElement("text");
    xml_.writeAttribute("x", "0");
    xml_.writeAttribute("y", QString::number(Ascent()));
    QString transform = QStringLiteral("translate(%1,%2)").arg(text.x).arg(text.y);
    if (text.degrees != 0) transform += QStringLiteral(" rotate(%1)").arg(-text.degrees);
    xml_.writeAttribute("transform", transform);
    xml_.writeAttribute("fill", Colour(text.colour));
    xml_.writeCharacters(XmlSafe(QString::fromStdString(text.utf8)));
    xml_.writeEndElement();
  }

  static int Ascent() {
    static const int ascent = QFontMetrics(TextPainterFont()).ascent();
    return ascent;
  }

  QXmlStreamWriter& xml_;
  const std::vector<RecordedLine>& lines_;
  const std::vector<RecordedText>& texts_;
};

void WriteDrawing(QXmlStreamWriter& xml, const DrawingSnapshot& drawing) {
  const QSize size = drawing.record.Size();
  xml.writeEmptyElement("rect");
  xml.writeAttribute("width", QString::number(size.width()));
  xml.writeAttribute("height", QString::number(size.height()));
  xml.writeAttribute("fill", Colour(drawing.background_colour));
  if (!drawing.background_picture.isNull()) WriteImage(xml, drawing.background_picture);
  xml.writeStartElement("g");
  xml.writeAttribute("fill", "none");
  xml.writeAttribute("stroke-width", "1");
  if (!drawing.record.Texts().empty()) {
    xml.writeAttribute("font-family", TextPainterFont().family());
    xml.writeAttribute("font-size", "24px");
    xml.writeAttribute("xml:space", "preserve");
  }
  SvgBody(xml, drawing.record).Write();
  xml.writeEndElement();
}

}  // namespace

QByteArray WriteSvg(const DrawingSnapshot& drawing) {
  if (!drawing.complete) return {};
  QByteArray svg;
  QBuffer buffer(&svg);
  buffer.open(QIODevice::WriteOnly);
  QXmlStreamWriter xml(&buffer);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(1);
  xml.writeStartDocument();
  const QSize size = drawing.record.Size();
  xml.writeStartElement("svg");
  xml.writeDefaultNamespace("http://www.w3.org/2000/svg");
  xml.writeNamespace("http://www.w3.org/1999/xlink", "xlink");
  xml.writeAttribute("version", "1.1");
  xml.writeAttribute("width", QString::number(size.width()));
  xml.writeAttribute("height", QString::number(size.height()));
  xml.writeAttribute("viewBox", QStringLiteral("0 0 %1 %2").arg(size.width()).arg(size.height()));
  if (drawing.record.Overflowed() && !drawing.visible_layer.isNull()) {
    xml.writeTextElement("desc", kSvgBitmapFallback);
    WriteImage(xml, drawing.visible_layer);
  } else {
    WriteDrawing(xml, drawing);
  }
  xml.writeEndDocument();
  return svg;
}

}  // namespace dravel
