#include "canvas/picture_export.h"

#include <cctype>
#include <cerrno>

#include "canvas/png_encoder.h"
#include "canvas/svg_writer.h"

namespace dravel {

namespace {

bool EndsWithFolded(std::string_view path, std::string_view lower_end) {
  if (path.size() < lower_end.size()) return false;
  const std::string_view end = path.substr(path.size() - lower_end.size());
  for (size_t i = 0; i < lower_end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(end[i])) != lower_end[i]) return false;
  return true;
}

}  // namespace

PictureFormat FormatOfPath(std::string_view path) {
  for (const PictureFormatName& name : kPictureFormats)
    if (EndsWithFolded(path, name.extension)) return name.format;
  return kPictureFormats[0].format;
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
