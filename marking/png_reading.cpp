#include "marking/png_reading.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "canvas/pixel_memory.h"
#include "canvas/png_encoder.h"
#include "runtime/file_bytes.h"

namespace dravel {
namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1A\n", 8);

uint32_t BigEndian(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) { return uint32_t(static_cast<unsigned char>(bytes[at + i])); };
  return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

struct Header {
  BoxSize size;
  int colour_type = 0;
  int channels = 0;
};

// Samples a pixel of each colour type has (0 grey, 2 RGB, 3 palette, 4 grey
// and alpha, 6 RGBA); 0 for another.
int ChannelsOf(int colour_type) {
  switch (colour_type) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

// The chunks after the header: the palette and the joined image data.
struct Chunks {
  std::vector<uint32_t> palette;
  std::string data;
};

std::optional<Chunks> ReadChunks(std::string_view bytes) {
  Chunks chunks;
  for (size_t at = kSignature.size(); at + 12 <= bytes.size();) {
    const uint32_t length = BigEndian(bytes, at);
    if (length > bytes.size() - at - 12) return std::nullopt;
    const std::string_view type = bytes.substr(at + 4, 4);
    const std::string_view body = bytes.substr(at + 8, length);
    if (type == "IDAT") chunks.data.append(body);
    if (type == "PLTE") {
      for (size_t i = 0; i + 3 <= body.size(); i += 3)
        chunks.palette.push_back(0xFF000000u | BigEndian(body, i) >> 8);
    }
    if (type == "IEND") return chunks;
    at += 12 + size_t(length);
  }
  return std::nullopt;  // cut short
}

std::optional<Header> ReadHeader(std::string_view bytes) {
  if (!bytes.starts_with(kSignature) || bytes.size() < 33 || bytes.substr(12, 4) != "IHDR")
    return std::nullopt;
  Header header{{int(BigEndian(bytes, 16)), int(BigEndian(bytes, 20))}, bytes[25], 0};
  header.channels = ChannelsOf(header.colour_type);
  if (header.size.width <= 0 || header.size.height <= 0) return std::nullopt;
  return header;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes each row's filter in place; false for an unknown filter.
bool Unfilter(std::vector<uint8_t>& rows, size_t row_bytes, int height, int step) {
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rows.data() + size_t(y) * (row_bytes + 1);
    const uint8_t* above = y > 0 ? row - (row_bytes + 1) : nullptr;
    const int filter = row[0];
    if (filter > 4) return false;
    for (size_t i = 1; i <= row_bytes; ++i) {
      const int a = i > size_t(step) ? row[i - step] : 0;
      const int b = above ? above[i] : 0;
      const int c = above && i > size_t(step) ? above[i - step] : 0;
      const int add = filter == 1   ? a
                      : filter == 2 ? b
                      : filter == 3 ? (a + b) / 2
                      : filter == 4 ? Paeth(a, b, c)
                                    : 0;
      row[i] = uint8_t(row[i] + add);
    }
  }
  return true;
}

uint32_t PixelAt(const uint8_t* sample, const Header& header,
                 const std::vector<uint32_t>& palette) {
  switch (header.colour_type) {
    case 3: return sample[0] < palette.size() ? palette[sample[0]] : 0xFF000000u;
    case 2:
    case 6: return 0xFF000000u | uint32_t(sample[0]) << 16 | uint32_t(sample[1]) << 8 | sample[2];
    default: return 0xFF000000u | uint32_t(sample[0]) * 0x010101u;
  }
}

}  // namespace

std::optional<BoxSize> PngSize(std::string_view bytes) {
  const std::optional<Header> header = ReadHeader(bytes);
  if (!header) return std::nullopt;
  return header->size;
}

PixelImage ReadPng(std::string_view bytes) {
  const std::optional<Header> header = ReadHeader(bytes);
  // 8 bits a sample, the standard compression and filters, not interlaced.
  if (!header || header->channels == 0 || bytes[24] != 8 || bytes[26] != 0 || bytes[27] != 0 ||
      bytes[28] != 0)
    return {};
  const size_t pixels = size_t(header->size.width) * size_t(header->size.height);
  if (pixels > kMaxLayerPixels || !PixelBlockAvailable(pixels * 4)) return {};
  const std::optional<Chunks> chunks = ReadChunks(bytes);
  if (!chunks) return {};
  const size_t row_bytes = size_t(header->size.width) * size_t(header->channels);
  uLongf size = uLongf((row_bytes + 1) * size_t(header->size.height));
  std::vector<uint8_t> rows(size);
  if (uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(chunks->data.data()),
                 uLong(chunks->data.size())) != Z_OK ||
      size != rows.size() || !Unfilter(rows, row_bytes, header->size.height, header->channels))
    return {};
  PixelImage image{header->size.width, header->size.height, std::vector<uint32_t>(pixels)};
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = rows.data() + size_t(y) * (row_bytes + 1) + 1;
    for (int x = 0; x < image.width; ++x)
      image.pixels[size_t(y) * size_t(image.width) + size_t(x)] =
          PixelAt(row + size_t(x) * size_t(header->channels), *header, chunks->palette);
  }
  return image;
}

PixelImage ReadPngFile(const std::string& path) {
  const FileReadResult read = TryReadFileBytes(path);
  if (!read.Ok()) return {};
  return ReadPng(
      std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
}

std::string PngOf(const PixelImage& image) {
  if (image.Empty()) return {};
  return EncodePng(image.pixels.data(), image.width, image.height, image.width);
}

}  // namespace dravel
