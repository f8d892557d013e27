#include "canvas/text_setter.h"

#include <cassert>
#include <cmath>
#include <string>
#include <vector>

#include "canvas/pixel_memory.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// The characters of well-formed UTF-8 (as the codec writes it).
std::vector<uint32_t> CharactersOf(const std::string& utf8) {
  std::vector<uint32_t> characters;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = uint8_t(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t character = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length && i + size_t(k) < utf8.size(); ++k)
      character = character << 6 | (uint8_t(utf8[i + size_t(k)]) & 0x3F);
    characters.push_back(character);
    i += size_t(length);
  }
  return characters;
}

}  // namespace

TextMask SetText(const TextFace& face, const TextRequest& request) {
  assert(request.scale > 0);
  const std::string_view gbk = request.gbk_text.substr(0, request.gbk_text.find('\0'));
  TextMask mask;
  mask.ascent = face.Ascent();
  if (gbk.empty()) return mask;
  std::vector<int> glyphs;
  int advance = 0;
  for (const uint32_t character : CharactersOf(GbkToUtf8(gbk))) {
    glyphs.push_back(face.GlyphOf(character));
    advance += face.Advance(glyphs.back());
  }
  const TextBox box = TurnedTextBox(request, advance, face.LineHeight());
  // Without the memory for its box the text is left out, not half drawn.
  if (box.Empty() || !PixelBlockAvailable(size_t(box.width) * size_t(box.height))) return mask;
  mask.left = box.left;
  mask.top = box.top;
  mask.width = box.width;
  mask.height = box.height;
  mask.coverage.assign(size_t(box.width) * size_t(box.height), 0);
  // The baseline runs from the anchor's ascent below it, turned with the
  // text (y down, so the escapement turns the other way). A denser layer
  // scales the layout at the text size, whole-pixel advances included, so
  // the text keeps its place and length among the lines at every scale.
  const double angle = -request.escapement / 10.0 * 3.14159265358979323846 / 180.0;
  const double cos = std::cos(angle), sin = std::sin(angle);
  const double scale = request.scale, ascent = face.Ascent() * scale;
  const double x = request.x * scale - box.left - ascent * sin;
  const double y = request.y * scale - box.top + ascent * cos;
  int pen = 0;
  for (const int glyph : glyphs) {
    const double along = pen * scale;
    face.InkGlyph(glyph, x + along * cos, y + along * sin, cos, sin, scale, mask);
    pen += face.Advance(glyph);
  }
  return mask;
}

}  // namespace dravel
