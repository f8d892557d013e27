#include "web/src/page_text.h"

#include <emscripten.h>

#include <memory>
#include <vector>

#include "canvas/pixel_memory.h"
#include "canvas/text_setter.h"

namespace dravel {
namespace {

// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
// The font the worker holds (Module.textFont): its size, 0 for none, and its
// bytes copied to `to`, after which the worker lets its own copy go.
EM_JS(int, TextFontSize, (), { return Module.textFont ? Module.textFont.length : 0; });
EM_JS(void, CopyTextFont, (uint8_t* to), {
  HEAPU8.set(Module.textFont, to);
  Module.textFont = null;
});
// The worker fetches the font, handing the thread back to the browser meanwhile.
EM_ASYNC_JS(void, FetchTextFont, (), { Module.textFont = await Module.fetchTextFont(); });
// clang-format on

std::unique_ptr<TextFace> TakenFace() {
  const int size = TextFontSize();
  if (size <= 0 || !PixelBlockAvailable(size_t(size))) return nullptr;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  CopyTextFont(bytes.data());
  return TextFace::FromBytes(std::move(bytes));
}

std::unique_ptr<TextFace> face;
bool font_failed = false;

}  // namespace

void FetchPageTextFont() {
  if (face || font_failed) return;
  if (TextFontSize() == 0) FetchTextFont();
  face = TakenFace();
  font_failed = face == nullptr;
}

TextMask PaintPageText(const TextRequest& text) { return face ? SetText(*face, text) : TextMask{}; }

void RetryTextFont() { font_failed = false; }

}  // namespace dravel
