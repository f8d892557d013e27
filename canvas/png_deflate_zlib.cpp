#include <zlib.h>

#include <memory>
#include <new>

#include "canvas/png_deflate.h"

namespace dravel {

std::optional<std::string> PngDeflate(size_t count, size_t size, const PngLineWriter& write_line) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) return std::nullopt;
  // Room for the worst case, left unwritten: a canvas deflates to a small
  // part of it, and only the part written is ever touched.
  const uLong room = deflateBound(&stream, uLong(count * size));
  const std::unique_ptr<Bytef[]> out(new (std::nothrow) Bytef[room]);
  std::string line(size, '\0');
  int result = out ? Z_OK : Z_MEM_ERROR;
  stream.next_out = out.get();
  stream.avail_out = uInt(room);
  for (size_t index = 0; index < count && result == Z_OK; ++index) {
    write_line(index, line.data());
    stream.next_in = reinterpret_cast<Bytef*>(line.data());
    stream.avail_in = uInt(size);
    result = deflate(&stream, index + 1 == count ? Z_FINISH : Z_NO_FLUSH);
  }
  deflateEnd(&stream);
  if (result != Z_STREAM_END) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(out.get()), stream.total_out);
}

uint32_t PngCrc32(std::string_view bytes) {
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  return uint32_t(crc32(crc32(0, nullptr, 0), data, uInt(bytes.size())));
}

}  // namespace dravel
