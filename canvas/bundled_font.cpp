#include "canvas/bundled_font.h"

#include <cstdio>
#include <memory>
#include <mutex>

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

// Said once, on standard error: a program without its font still runs, and
// only its texts are left out.
void SayFontMissing() {
  static std::once_flag said;
  std::call_once(said, [] {
    std::string places;
    for (const std::string& place : BundledFontPlaces()) places += "\n  " + place;
    std::fprintf(stderr, "cannot read the text font; texts are left out. Looked at:%s\n",
                 places.c_str());
  });
}

TextMaskPainter BundledTextPainter() {
  return [](const TextRequest& request) {
    const TextFace* face = BundledFace();
    if (face == nullptr) SayFontMissing();
    return face ? SetText(*face, request) : TextMask{};
  };
}

}  // namespace dravel
