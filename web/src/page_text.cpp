#include "web/src/page_text.h"

#include <emscripten.h>

#include <string>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// The page's face is 24 pixels; a line of it, as the browser sets it, 32.
constexpr int kPageLineHeight = 32;

// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(double, MeasureText, (const char* utf8, int size), {
  return Module.measureText(HEAPU8.subarray(utf8, utf8 + size));
});
EM_JS(int, PaintTextIn, (const char* utf8, int size, int x, int y, int escapement, int width,
                         int height), {
  return Module.paintText(HEAPU8.subarray(utf8, utf8 + size), x, y, escapement, width, height);
});
EM_JS(void, TakeTextMask, (uint8_t* mask, int size), {
  Module.takeTextMask(HEAPU8.subarray(mask, mask + size));
});
// clang-format on

}  // namespace

// The browser measures the text, decoded as the window's painter decodes it,
// and sets it (page/worker.js) in the box the canvas's own rule gives
// (TurnedTextBox), as the desktop's painter does; its coverage is then
// copied into the mask.
TextMask PaintPageText(const TextRequest& text) {
  const std::string utf8 = GbkToUtf8(text.gbk_text);
  const double advance = MeasureText(utf8.data(), int(utf8.size()));
  if (advance < 0) return {};  // no canvas to set text in
  const TextBox box = TurnedTextBox(text, advance, kPageLineHeight);
  if (box.Empty()) return {};
  TextMask mask{box.left, box.top, box.width, box.height, {}, 0};
  mask.ascent = PaintTextIn(utf8.data(), int(utf8.size()), text.x - box.left, text.y - box.top,
                            text.escapement, box.width, box.height);
  mask.coverage.resize(size_t(mask.width) * size_t(mask.height));
  TakeTextMask(mask.coverage.data(), int(mask.coverage.size()));
  return mask;
}

}  // namespace dravel
