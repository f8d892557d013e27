// libdravel-text's exported functions (text_library_interface.h): the
// window's text painter and the contact sheet, with the GUI application they
// need. No exception leaves them: the program has a C++ library of its own,
// and one thrown across ends it without a word.
#include <cstdlib>
#include <cstring>

#include "apps/dravel-render/text_library/contact_sheet.h"
#include "apps/dravel-render/text_library/gui_application.h"
#include "apps/dravel-render/text_library/text_library_interface.h"
#include "canvas/text_painter.h"

#define DRAVEL_EXPORT __attribute__((visibility("default")))

extern "C" {

DRAVEL_EXPORT bool dravel_text_start() {
  try {
    dravel::StartGuiApplication();
    return true;
  } catch (...) {
    return false;
  }
}

DRAVEL_EXPORT void dravel_text_paint(const DravelTextRequest* request, DravelTextMask* mask) {
  dravel::TextMask painted;
  try {
    painted = dravel::PaintTextMask({std::string_view(request->gbk_text, request->gbk_size),
                                     request->x, request->y, request->escapement,
                                     request->layer_width, request->layer_height});
  } catch (...) {  // no memory for its mask: left out, as the painter does
    *mask = {};
    return;
  }
  *mask = {painted.left, painted.top, painted.width, painted.height, painted.ascent, nullptr};
  if (painted.coverage.empty()) return;
  mask->coverage = static_cast<uint8_t*>(std::malloc(painted.coverage.size()));
  if (mask->coverage == nullptr) {
    *mask = {};  // left out, not half drawn, as the painter does
    return;
  }
  std::memcpy(mask->coverage, painted.coverage.data(), painted.coverage.size());
}

DRAVEL_EXPORT bool dravel_contact_sheet(const DravelSheetEntry* entries, size_t count,
                                        DravelSheetPng* png) {
  *png = {};
  QByteArray bytes;
  try {
    dravel::StartGuiApplication();  // the captions are set in the platform's fonts
    bytes = dravel::SheetPng(dravel::ContactSheet({entries, count}));
  } catch (...) {
    return false;
  }
  if (bytes.isEmpty()) return false;
  png->bytes = static_cast<uint8_t*>(std::malloc(size_t(bytes.size())));
  if (png->bytes == nullptr) return false;
  std::memcpy(png->bytes, bytes.constData(), size_t(bytes.size()));
  png->size = size_t(bytes.size());
  return true;
}

DRAVEL_EXPORT void dravel_text_free(uint8_t* bytes) { std::free(bytes); }

DRAVEL_EXPORT void dravel_text_end() { dravel::EndGuiApplication(); }

}  // extern "C"
