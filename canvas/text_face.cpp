#include "canvas/text_face.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace dravel {
namespace {

// A glyph's pixel counts as covered from this share of it (of 255) on: the
// text is drawn without smoothing, so a pixel is either ink or not. A little
// under half keeps the strokes as heavy as the desktop's monochrome fonts
// drew them (as many pixels inked, to within 1 %).
constexpr unsigned char kCovered = 112;

// stb_truetype's curve flatness, in pixels, as its own bitmaps use.
constexpr float kFlatness = 0.35f;

// The turned vertex list of one glyph, stb_truetype's own kept to free.
class TurnedShape {
 public:
  TurnedShape(const stbtt_fontinfo& info, int glyph) : info_(info) {
    count_ = stbtt_GetGlyphShape(&info, glyph, &vertices_);
  }
  ~TurnedShape() { stbtt_FreeShape(&info_, vertices_); }
  TurnedShape(const TurnedShape&) = delete;
  TurnedShape& operator=(const TurnedShape&) = delete;

  // Turns the outline about its origin: font units with y up, so the
  // rasteriser's y flip leaves the glyph's baseline running at (cos, sin)
  // with y down. The outline stays within a few thousand units, so every
  // point fits the vertex's short.
  void Turn(double cos, double sin) {
    const auto turn = [&](stbtt_vertex_type& x, stbtt_vertex_type& y) {
      const double u = x, v = y;
      x = stbtt_vertex_type(std::lround(u * cos + v * sin));
      y = stbtt_vertex_type(std::lround(v * cos - u * sin));
    };
    for (int i = 0; i < count_; ++i) {
      turn(vertices_[i].x, vertices_[i].y);
      turn(vertices_[i].cx, vertices_[i].cy);
      turn(vertices_[i].cx1, vertices_[i].cy1);
    }
  }

  // The whole pixels the turned outline may reach, its control points
  // included, at `scale` with the origin at (x, y), y down.
  TextBox Reach(float scale, double x, double y) const {
    if (count_ == 0) return {};
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    const auto reach = [&](double u, double v) {
      left = std::min(left, x + u * scale);
      right = std::max(right, x + u * scale);
      top = std::min(top, y - v * scale);
      bottom = std::max(bottom, y - v * scale);
    };
    for (int i = 0; i < count_; ++i) {
      reach(vertices_[i].x, vertices_[i].y);
      if (vertices_[i].type == STBTT_vcurve || vertices_[i].type == STBTT_vcubic)
        reach(vertices_[i].cx, vertices_[i].cy);
      if (vertices_[i].type == STBTT_vcubic) reach(vertices_[i].cx1, vertices_[i].cy1);
    }
    const int box_left = int(std::floor(left)), box_top = int(std::floor(top));
    return {box_left, box_top, int(std::ceil(right)) - box_left + 1,
            int(std::ceil(bottom)) - box_top + 1};
  }

  stbtt_vertex* Vertices() { return vertices_; }
  int Count() const { return count_; }

 private:
  const stbtt_fontinfo& info_;
  stbtt_vertex* vertices_ = nullptr;
  int count_ = 0;
};

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | bytes[at + size_t(i)];
  return value;
}

// Whether `bytes` hold one font whose every table lies within them: a
// truncated file would have stb_truetype read past its end.
bool TablesWithin(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 12 || !stbtt__isfont(const_cast<uint8_t*>(bytes.data()))) return false;
  const size_t tables = BigEndian(bytes, 4, 2);
  if (12 + tables * 16 > bytes.size()) return false;
  for (size_t i = 0; i < tables; ++i) {
    const uint64_t offset = BigEndian(bytes, 12 + i * 16 + 8, 4);
    const uint64_t length = BigEndian(bytes, 12 + i * 16 + 12, 4);
    if (offset + length > bytes.size()) return false;
  }
  return true;
}

}  // namespace

struct TextFace::Font {
  std::vector<uint8_t> bytes;
  stbtt_fontinfo info{};
};

std::unique_ptr<TextFace> TextFace::FromBytes(std::vector<uint8_t> bytes) {
  auto font = std::make_unique<Font>();
  font->bytes = std::move(bytes);
  if (!TablesWithin(font->bytes) || !stbtt_InitFont(&font->info, font->bytes.data(), 0))
    return nullptr;
  return std::unique_ptr<TextFace>(new TextFace(std::move(font)));
}

TextFace::TextFace(std::unique_ptr<Font> font) : font_(std::move(font)) {
  scale_ = stbtt_ScaleForMappingEmToPixels(&font_->info, float(kTextPixelSize));
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&font_->info, &ascent, &descent, &gap);
  ascent_ = int(std::ceil(ascent * double(scale_)));
  descent_ = int(std::ceil(-descent * double(scale_)));
}

TextFace::~TextFace() = default;

int TextFace::GlyphOf(uint32_t character) const {
  return stbtt_FindGlyphIndex(&font_->info, int(character));
}

int TextFace::Advance(int glyph) const {
  int advance = 0, bearing = 0;
  stbtt_GetGlyphHMetrics(&font_->info, glyph, &advance, &bearing);
  return int(std::lround(advance * double(scale_)));
}

void TextFace::InkGlyph(int glyph, double x, double y, double cos, double sin, double size,
                        TextMask& mask) const {
  assert(mask.coverage.size() == size_t(mask.width) * size_t(mask.height));
  assert(size > 0);
  TurnedShape shape(font_->info, glyph);
  shape.Turn(cos, sin);
  const float scale = float(scale_ * size);
  const TextBox reach = shape.Reach(scale, x, y);
  if (reach.Empty() || reach.left >= mask.width || reach.top >= mask.height ||
      reach.left + reach.width <= 0 || reach.top + reach.height <= 0) {
    return;
  }
  std::vector<unsigned char> pixels(size_t(reach.width) * size_t(reach.height));
  stbtt__bitmap bitmap{reach.width, reach.height, reach.width, pixels.data()};
  stbtt_Rasterize(&bitmap, kFlatness, shape.Vertices(), shape.Count(), scale, scale, float(x),
                  float(y), reach.left, reach.top, 1, nullptr);
  const int top = std::max(reach.top, 0), bottom = std::min(reach.top + reach.height, mask.height);
  const int left = std::max(reach.left, 0), right = std::min(reach.left + reach.width, mask.width);
  for (int row = top; row < bottom; ++row) {
    const unsigned char* from = pixels.data() + size_t(row - reach.top) * size_t(reach.width);
    uint8_t* to = mask.coverage.data() + size_t(row) * size_t(mask.width);
    for (int column = left; column < right; ++column)
      if (from[column - reach.left] >= kCovered) to[column] = 1;
  }
}

}  // namespace dravel
