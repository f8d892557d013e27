#include "canvas/svg_writer.h"

#include <cstdio>
#include <string_view>

#include "canvas/pixel_format.h"
#include "canvas/png_encoder.h"
#include "canvas/text_mask.h"
#include "runtime/gbk_codec.h"
#include "runtime/markup_text.h"

namespace dravel {
namespace {

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string number = text;
  while (number.back() == '0') number.pop_back();
  if (number.back() == '.') number.pop_back();
  return number == "-0" ? "0" : number;
}

std::string Colour(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", unsigned(PixelOf(colour) & 0xFFFFFF));
  return text;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    uint32_t group = uint32_t(uint8_t(bytes[i])) << 16;
    if (left > 1) group |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (left > 2) group |= uint8_t(bytes[i + 2]);
    text += kDigits[group >> 18];
    text += kDigits[(group >> 12) & 63];
    text += left > 1 ? kDigits[(group >> 6) & 63] : '=';
    text += left > 2 ? kDigits[group & 63] : '=';
  }
  return text;
}

bool Continues(const RecordedLine& before, const RecordedLine& line) {
  return before.colour == line.colour && before.width == line.width && before.x2 == line.x1 &&
         before.y2 == line.y1;
}

// The document's elements, one a line, indented by depth.
class SvgOut {
 public:
  void Line(int depth, const std::string& element) {
    text_.append(size_t(depth), ' ');
    text_ += element;
    text_ += '\n';
  }
  // An empty element of the picture `image` at the top-left; false when the
  // PNG could not be encoded.
  bool Image(int depth, const PixelImage& image) {
    const std::string png = EncodePng(image.pixels.data(), image.width, image.height, image.width);
    if (png.empty()) return false;
    Line(depth, "<image x=\"0\" y=\"0\" width=\"" + std::to_string(image.width) + "\" height=\"" +
                    std::to_string(image.height) + "\" xlink:href=\"data:image/png;base64," +
                    Base64(png) + "\"/>");
    return true;
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

class SvgBody {
 public:
  SvgBody(SvgOut& out, const DrawingRecord& record)
      : out_(out), lines_(record.Lines()), texts_(record.Texts()) {}

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
    std::string points = Point(lines_[first].x1, lines_[first].y1);
    size_t end = first;
    do {
      points += ' ' + Point(lines_[end].x2, lines_[end].y2);
      ++end;
    } while (end < stop && Continues(lines_[end - 1], lines_[end]));
    const RecordedLine& line = lines_[first];
    std::string element =
        "<polyline points=\"" + points + "\" stroke=\"" + Colour(line.colour) + '"';
    if (line.width > 1) {
      element += " stroke-width=\"" + std::to_string(line.width) +
                 "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
    }
    out_.Line(2, element + "/>");
    return end;
  }

  static std::string Point(float x, float y) { return Number(x) + ',' + Number(y); }

  void WriteText(const RecordedText& text) {
    std::string transform =
        "translate(" + std::to_string(text.x) + ',' + std::to_string(text.y) + ')';
    if (text.degrees != 0) transform += " rotate(" + std::to_string(-text.degrees) + ')';
    out_.Line(2, "<text x=\"0\" y=\"" + std::to_string(text.ascent) + "\" transform=\"" +
                     transform + "\" fill=\"" + Colour(text.colour) + "\">" +
                     MarkupText(GbkToUtf8(text.gbk)) + "</text>");
  }

  SvgOut& out_;
  const std::vector<RecordedLine>& lines_;
  const std::vector<RecordedText>& texts_;
};

bool WriteDrawing(SvgOut& out, const DrawingSnapshot& drawing) {
  const BoxSize size = drawing.record.Size();
  out.Line(1, "<rect width=\"" + std::to_string(size.width) + "\" height=\"" +
                  std::to_string(size.height) + "\" fill=\"" + Colour(drawing.background_colour) +
                  "\"/>");
  if (!drawing.background_picture.Empty() && !out.Image(1, drawing.background_picture)) {
    return false;
  }
  std::string group = "<g fill=\"none\" stroke-width=\"1\"";
  if (!drawing.record.Texts().empty()) {
    group += " font-family=\"" + MarkupText(kTextFontFamily) + "\" font-size=\"" +
             std::to_string(kTextPixelSize) + "px\" xml:space=\"preserve\"";
  }
  out.Line(1, group + ">");
  SvgBody(out, drawing.record).Write();
  out.Line(1, "</g>");
  return true;
}

}  // namespace

std::string WriteSvg(const DrawingSnapshot& drawing) {
  if (!drawing.complete) return {};
  const BoxSize size = drawing.record.Size();
  const std::string width = std::to_string(size.width), height = std::to_string(size.height);
  SvgOut out;
  out.Line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  out.Line(0,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "version=\"1.1\" width=\"" +
               width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + ' ' + height +
               "\">");
  if (drawing.record.Incomplete() && !drawing.visible_layer.Empty()) {
    out.Line(1, std::string("<desc>") + kSvgBitmapFallback + "</desc>");
    if (!out.Image(1, drawing.visible_layer)) return {};
  } else if (!WriteDrawing(out, drawing)) {
    return {};
  }
  out.Line(0, "</svg>");
  return out.Take();
}

}  // namespace dravel
