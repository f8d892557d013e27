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

QByteArray PngBytes(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb =
      image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
          ? image
          : image.convertToFormat(QImage::Format_RGB32);
  if (rgb.isNull()) return {};
  const std::string png = EncodePng(reinterpret_cast<const uint32_t*>(rgb.constBits()), rgb.width(),
                                    rgb.height(), rgb.bytesPerLine() / 4);
  return QByteArray(png.data(), qsizetype(png.size()));
}

QByteArray PictureBytes(const CanvasCore& canvas, PictureFormat format, bool with_turtles) {
  if (format == PictureFormat::Svg) return WriteSvg(canvas.Drawing());
  return PngBytes(with_turtles ? canvas.Paint() : canvas.VisibleLayer());
}

FileWriteResult WritePictureFile(std::string_view path, const QByteArray& bytes, LinkAtName link) {
  if (bytes.isEmpty()) return {EIO};
  return TryWriteFileBytes(
      path, std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
      link);
}

}  // namespace dravel
