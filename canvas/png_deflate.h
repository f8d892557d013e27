// The two things a PNG needs from zlib: deflating the scan lines and the
// chunks' CRC. The desktop links zlib itself (png_deflate_zlib.cpp); the web
// edition's node command asks the zlib built into node.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravel {

// `data` deflated as a zlib stream (run-length strategy, level 6); nullopt
// when that fails or no deflater is at hand.
std::optional<std::string> PngDeflate(const std::string& data);

uint32_t PngCrc32(std::string_view bytes);

}  // namespace dravel
