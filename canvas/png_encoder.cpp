#include "canvas/png_encoder.h"

#include <array>
#include <cassert>
#include <new>
#include <optional>
#include <vector>

#include "canvas/pixel_memory.h"
#include "canvas/png_deflate.h"

namespace dravel {
namespace {

constexpr size_t kMaxPalette = 256;

void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += char((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.append(type, 4);
  out += data;
  PutBigEndian(out, PngCrc32(std::string_view(out).substr(start)));
}

// The image's colours in order of first appearance, or nullopt past 256.
// Runs of one colour, the usual case, cost one comparison a pixel.
std::optional<std::vector<uint32_t>> Palette(const uint32_t* pixels, int width, int height,
                                             ptrdiff_t stride) {
  std::vector<uint32_t> colours;
  uint32_t last = 0;
  bool any = false;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + y * stride;
    for (int x = 0; x < width; ++x) {
      const uint32_t colour = row[x] & 0xFFFFFF;
      if (any && colour == last) continue;
      any = true;
      last = colour;
      bool known = false;
      for (uint32_t c : colours) known |= c == colour;
      if (known) continue;
      if (colours.size() == kMaxPalette) return std::nullopt;
      colours.push_back(colour);
    }
  }
  return colours;
}

// Scan lines with filter type 0: palette indices, or RGB triples.
std::string IndexedRows(const uint32_t* pixels, int width, int height, ptrdiff_t stride,
                        const std::vector<uint32_t>& palette) {
  // Written through a pointer: an append a byte costs more than the lookup.
  std::string rows(size_t(height) * (size_t(width) + 1), '\0');
  char* out = rows.data();
  uint32_t last = palette.front();
  uint8_t last_index = 0;
  for (int y = 0; y < height; ++y) {
    ++out;  // filter type 0
    const uint32_t* row = pixels + y * stride;
    for (int x = 0; x < width; ++x) {
      const uint32_t colour = row[x] & 0xFFFFFF;
      if (colour != last) {
        last = colour;
        last_index = 0;
        while (palette[last_index] != colour) ++last_index;
      }
      *out++ = char(last_index);
    }
  }
  return rows;
}

std::string RgbRows(const uint32_t* pixels, int width, int height, ptrdiff_t stride) {
  std::string rows;
  rows.reserve(size_t(height) * (size_t(width) * 3 + 1));
  for (int y = 0; y < height; ++y) {
    rows += '\0';
    const uint32_t* row = pixels + y * stride;
    for (int x = 0; x < width; ++x) {
      rows += char((row[x] >> 16) & 0xFF);
      rows += char((row[x] >> 8) & 0xFF);
      rows += char(row[x] & 0xFF);
    }
  }
  return rows;
}

std::string Header(int width, int height, uint8_t colour_type) {
  std::string header;
  PutBigEndian(header, uint32_t(width));
  PutBigEndian(header, uint32_t(height));
  header += char(8);               // bits per sample
  header += char(colour_type);     // 3 palette, 2 RGB
  header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
  return header;
}

std::string Encode(const uint32_t* pixels, int width, int height, ptrdiff_t stride,
                   const std::optional<std::vector<uint32_t>>& palette) {
  std::string png("\x89PNG\r\n\x1A\n", 8);
  std::optional<std::string> data;
  if (palette) {
    PutChunk(png, "IHDR", Header(width, height, 3));
    std::string entries;
    for (uint32_t colour : *palette) {
      entries += char((colour >> 16) & 0xFF);
      entries += char((colour >> 8) & 0xFF);
      entries += char(colour & 0xFF);
    }
    PutChunk(png, "PLTE", entries);
    data = PngDeflate(IndexedRows(pixels, width, height, stride, *palette));
  } else {
    PutChunk(png, "IHDR", Header(width, height, 2));
    data = PngDeflate(RgbRows(pixels, width, height, stride));
  }
  if (!data) return {};
  PutChunk(png, "IDAT", *data);
  PutChunk(png, "IEND", {});
  return png;
}

// The scan lines and the room zlib deflates them into are each about the
// size of the lines.
bool RoomToEncode(int width, int height, bool indexed) {
  const size_t line = indexed ? size_t(width) + 1 : size_t(width) * 3 + 1;
  return PixelBlockAvailable(2 * line * size_t(height));
}

}  // namespace

std::string EncodePng(const uint32_t* pixels, int width, int height, ptrdiff_t stride) {
  assert(width > 0 && height > 0);
  const std::optional<std::vector<uint32_t>> palette = Palette(pixels, width, height, stride);
  if (!RoomToEncode(width, height, palette.has_value())) return {};
  try {
    return Encode(pixels, width, height, stride, palette);
  } catch (const std::bad_alloc&) {  // the memory was taken meanwhile
    return {};
  }
}

}  // namespace dravel
