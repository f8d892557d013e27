// PNG deflating in the web edition: node's own zlib, the same library the
// desktop links, at the same settings. In a browser, the deflater the page's
// worker gives the module (Module.deflate, a faithful port of zlib, which
// gives zlib's bytes); without one PngDeflate gives nullopt.
#include <emscripten.h>

#include <array>
#include <cstdlib>

#include "canvas/png_deflate.h"

namespace {

// Deflates `size` bytes at `data` into a buffer it allocates, whose address
// goes to *out; gives the deflated size, or -1 when there is no deflater or
// that buffer cannot be allocated.
// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(int, Deflate, (const char* data, int size, char** out), {
  let deflated;
  if (typeof process !== 'undefined' && process.versions && process.versions.node) {
    const zlib = require('zlib');
    deflated = zlib.deflateSync(HEAPU8.subarray(data, data + size),
                                {level : 6, strategy : zlib.constants.Z_RLE});
  } else if (Module.deflate) {
    deflated = Module.deflate(HEAPU8.subarray(data, data + size));
  } else {
    return -1;
  }
  // clang-format on
  const at = _malloc(deflated.length);
  if (!at) return -1;
  HEAPU8.set(deflated, at);
  HEAP32[out >> 2] = at;
  return deflated.length;
});

}  // namespace

namespace dravel {

std::optional<std::string> PngDeflate(size_t count, size_t line_size,
                                      const PngLineWriter& write_line) {
  // Node's zlib takes the lines in one piece.
  std::string data(count * line_size, '\0');
  for (size_t index = 0; index < count; ++index) {
    write_line(index, data.data() + index * line_size);
  }
  char* out = nullptr;
  const int size = Deflate(data.data(), int(data.size()), &out);
  if (size < 0) return std::nullopt;
  std::string deflated(out, size_t(size));
  std::free(out);
  return deflated;
}

uint32_t PngCrc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace dravel
