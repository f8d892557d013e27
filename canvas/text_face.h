// The one face every edition sets text in: the bundled font's bytes, read by
// stb_truetype (the only place that includes it). It owns the bytes, answers
// the metrics at the canvas's text size (kTextPixelSize), and inks one glyph,
// turned, into a mask at that size or a multiple of it (the window's denser
// screens); laying a text out is the setter's (text_setter.h), reading the
// font file the edition's (bundled_font.h on the desktop and in node, a
// fetch on the page).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/text_mask.h"

namespace dravel {

class TextFace {
 public:
  // The face of the font in `bytes` (one font, not a collection); null when
  // they hold none or its tables reach past them (a truncated file). The
  // bundled font is trusted beyond that: stb_truetype does not guard against
  // a malicious one.
  static std::unique_ptr<TextFace> FromBytes(std::vector<uint8_t> bytes);
  ~TextFace();
  TextFace(const TextFace&) = delete;
  TextFace& operator=(const TextFace&) = delete;

  // Whole pixels above and below the baseline, rounded up, as the desktop's
  // fonts have always measured them; a line is their sum.
  int Ascent() const { return ascent_; }
  int LineHeight() const { return ascent_ + descent_; }
  // The glyph of `character` (0, the face's missing glyph, when it has none).
  int GlyphOf(uint32_t character) const;
  // Its advance, rounded to whole pixels as the desktop's fonts advance.
  int Advance(int glyph) const;
  // Inks `glyph` at `size` times the text size into `mask` (its coverage
  // sized to its box): the glyph's origin on the baseline at (x, y) of the
  // mask, its baseline running at `cos`, `sin` (y down), every pixel it
  // covers nearly half of set to 1.
  void InkGlyph(int glyph, double x, double y, double cos, double sin, double size,
                TextMask& mask) const;

 private:
  struct Font;
  explicit TextFace(std::unique_ptr<Font> font);

  std::unique_ptr<Font> font_;
  float scale_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
};

}  // namespace dravel
