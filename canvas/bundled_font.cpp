#include "canvas/bundled_font.h"

#include <memory>

#include "canvas/text_setter.h"
#include "runtime/file_bytes.h"

namespace dravel {
namespace {

std::unique_ptr<TextFace> ReadFace() {
  for (const std::string& place : BundledFontPlaces()) {
    FileReadResult read = TryReadFileBytes(place);
    if (!read.Ok()) continue;
    if (std::unique_ptr<TextFace> face = TextFace::FromBytes(std::move(read.bytes))) return face;
  }
  return nullptr;
}

}  // namespace

const TextFace* BundledFace() {
  static const std::unique_ptr<TextFace> face = ReadFace();
  return face.get();
}

TextMaskPainter BundledTextPainter() {
  return [](const TextRequest& request) {
    const TextFace* face = BundledFace();
    return face ? SetText(*face, request) : TextMask{};
  };
}

}  // namespace dravel
