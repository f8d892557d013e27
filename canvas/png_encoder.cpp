#include "canvas/png_encoder.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <new>
#include <optional>
#include <span>
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

constexpr uint32_t kColourBits = 0xFFFFFF;

// The first pixel from `x` on whose colour is not `colour`, or `width`.
// Four at a time while they match: a canvas's rows are long runs.
int RunEnd(const uint32_t* row, int x, int width, uint32_t colour) {
  for (; x + 4 <= width; x += 4) {
    if (((row[x] ^ colour) | (row[x + 1] ^ colour) | (row[x + 2] ^ colour) |
         (row[x + 3] ^ colour)) &
        kColourBits) {
      break;
    }
  }
  while (x < width && ((row[x] ^ colour) & kColourBits) == 0) ++x;
  return x;
}

// The image's colours in order of first appearance, or nullopt past 256.
// A row that is the row before it again (the canvas shares one row among
// its untouched rows) holds no colour it did not.
std::optional<std::vector<uint32_t>> Palette(PngRows rows, int width) {
  std::vector<uint32_t> colours;
  const uint32_t* previous = nullptr;
  for (const uint32_t* row : rows) {
    if (row == previous) continue;
    previous = row;
    for (int x = 0; x < width; x = RunEnd(row, x, width, row[x])) {
      const uint32_t colour = row[x] & kColourBits;
      if (std::find(colours.begin(), colours.end(), colour) != colours.end()) continue;
      if (colours.size() == kMaxPalette) return std::nullopt;
      colours.push_back(colour);
    }
  }
  return colours;
}

// Scan lines with filter type 0: palette indices, or RGB triples. A row that
// is the row before it again gets that row's indices again.
std::optional<std::string> IndexedLines(PngRows rows, int width,
                                        const std::vector<uint32_t>& palette) {
  const uint32_t* previous = nullptr;
  std::string indices(size_t(width), '\0');
  return PngDeflate(rows.size(), size_t(width) + 1, [&](size_t index, char* out) {
    *out++ = 0;
    const uint32_t* row = rows[index];
    if (row != previous) {
      previous = row;
      for (int x = 0, end; x < width; x = end) {
        const uint32_t colour = row[x] & kColourBits;
        const auto place = std::find(palette.begin(), palette.end(), colour);
        assert(place != palette.end());
        end = RunEnd(row, x + 1, width, colour);
        std::memset(indices.data() + x, int(place - palette.begin()), size_t(end - x));
      }
    }
    std::memcpy(out, indices.data(), indices.size());
  });
}

std::optional<std::string> RgbLines(PngRows rows, int width) {
  return PngDeflate(rows.size(), size_t(width) * 3 + 1, [&](size_t index, char* out) {
    *out++ = 0;
    const uint32_t* row = rows[index];
    for (int x = 0; x < width; ++x) {
      *out++ = char((row[x] >> 16) & 0xFF);
      *out++ = char((row[x] >> 8) & 0xFF);
      *out++ = char(row[x] & 0xFF);
    }
  });
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

std::string Encode(PngRows rows, int width, const std::optional<std::vector<uint32_t>>& palette) {
  const int height = int(rows.size());
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
    data = IndexedLines(rows, width, *palette);
  } else {
    PutChunk(png, "IHDR", Header(width, height, 2));
    data = RgbLines(rows, width);
  }
  if (!data) return {};
  PutChunk(png, "IDAT", *data);
  PutChunk(png, "IEND", {});
  return png;
}

// The room zlib deflates the scan lines into is about their size.
bool RoomToEncode(int width, int height, bool indexed) {
  const size_t line = indexed ? size_t(width) + 1 : size_t(width) * 3 + 1;
  return PixelBlockAvailable(line * size_t(height));
}

}  // namespace

std::string EncodePng(PngRows rows, int width) {
  assert(width > 0 && !rows.empty());
  const std::optional<std::vector<uint32_t>> palette = Palette(rows, width);
  if (!RoomToEncode(width, int(rows.size()), palette.has_value())) return {};
  try {
    return Encode(rows, width, palette);
  } catch (const std::bad_alloc&) {  // the memory was taken meanwhile
    return {};
  }
}

std::string EncodePng(const uint32_t* pixels, int width, int height, ptrdiff_t stride) {
  assert(height > 0);
  std::vector<const uint32_t*> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) rows[size_t(y)] = pixels + y * stride;
  return EncodePng(rows, width);
}

}  // namespace dravel
