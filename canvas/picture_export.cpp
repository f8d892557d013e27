#include "canvas/picture_export.h"

#include <cctype>
#include <cerrno>

#include "canvas/png_encoder.h"
#include "canvas/svg_writer.h"

namespace dravel {

PictureFormat FormatOfPath(std::string_view path) {
  constexpr std::string_view kSvg = ".svg";
  if (path.size() < kSvg.size()) return PictureFormat::Png;
  const std::string_view end = path.substr(path.size() - kSvg.size());
  for (size_t i = 0; i < kSvg.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(end[i])) != kSvg[i]) return PictureFormat::Png;
  return PictureFormat::Svg;
}

std::string PictureBytes(const CanvasCore& canvas, PictureFormat format, bool with_turtles) {
  if (format == PictureFormat::Svg) {
    const DrawingSnapshot drawing = canvas.Lock()->Drawing();
    return WriteSvg(drawing);
  }
  // Encoded under the lock, straight from the layer: a copy of the whole
  // layer first would cost more than the encoding.
  auto locked = canvas.Lock();
  LayerPixels scratch;
  const std::vector<const uint32_t*> rows = locked->FrameRows(with_turtles, scratch);
  if (rows.empty()) return {};  // no memory for the turtles' rows
  return EncodePng(rows, locked->Width());
}

FileWriteResult WritePictureFile(std::string_view path, std::string_view bytes, LinkAtName link) {
  if (bytes.empty()) return {EIO};
  return TryWriteFileBytes(
      path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), link);
}

}  // namespace dravel
