#include <zlib.h>

#include "canvas/png_deflate.h"

namespace dravel {

std::optional<std::string> PngDeflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) return std::nullopt;
  std::string out(deflateBound(&stream, uLong(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = uInt(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = uInt(out.size());
  const int result = deflate(&stream, Z_FINISH);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) return std::nullopt;
  out.resize(stream.total_out);
  return out;
}

uint32_t PngCrc32(std::string_view bytes) {
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  return uint32_t(crc32(crc32(0, nullptr, 0), data, uInt(bytes.size())));
}

}  // namespace dravel
