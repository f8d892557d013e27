// The two things a PNG needs from zlib: deflating the scan lines and the
// chunks' CRC. The desktop links zlib itself (png_deflate_zlib.cpp); the web
// edition's node command asks the zlib built into node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dravel {

// Writes scan line `index` (its filter byte first) at `out`.
using PngLineWriter = std::function<void(size_t index, char* out)>;

// `count` scan lines of `size` bytes, asked for in order from `write_line`,
// deflated as one zlib stream (run-length strategy, level 6); nullopt when
// that fails or no deflater is at hand. Taken a line at a time, the lines
// need no buffer of their own size.
std::optional<std::string> PngDeflate(size_t count, size_t size, const PngLineWriter& write_line);

uint32_t PngCrc32(std::string_view bytes);

}  // namespace dravel
