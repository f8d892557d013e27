#include "web/src/page_text.h"

#include <emscripten.h>

#include <string>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(void, PaintTextBox, (const char* utf8, int size, int x, int y, int escapement, int width,
                           int height, int* box), {
  Module.paintText(HEAPU8.subarray(utf8, utf8 + size), x, y, escapement, width, height,
                   HEAP32.subarray(box >> 2, (box >> 2) + 5));
});
EM_JS(void, TakeTextMask, (uint8_t* mask, int size), {
  Module.takeTextMask(HEAPU8.subarray(mask, mask + size));
});
// clang-format on

}  // namespace

// The browser sets the text (page/worker.js), decoded as the window's painter
// decodes it, and tells its box (left, top, width, height, ascent); its
// coverage is then copied into the mask.
TextMask PaintPageText(const TextRequest& text) {
  int box[5] = {};
  const std::string utf8 = GbkToUtf8(text.gbk_text);
  PaintTextBox(utf8.data(), int(utf8.size()), text.x, text.y, text.escapement, text.layer_width,
               text.layer_height, box);
  TextMask mask{box[0], box[1], box[2], box[3], {}, box[4]};
  if (mask.width <= 0 || mask.height <= 0) return {};
  mask.coverage.resize(size_t(mask.width) * size_t(mask.height));
  TakeTextMask(mask.coverage.data(), int(mask.coverage.size()));
  return mask;
}

}  // namespace dravel
