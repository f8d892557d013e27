// libdravel-text's exported functions (text_library_interface.h): the
// contact sheet, with the GUI application its captions need. No exception leaves them: the program
// has a C++ library of its own, and one thrown across ends it without a word.
#include <cstdlib>
#include <cstring>

#include "apps/dravel-render/text_library/contact_sheet.h"
#include "apps/dravel-render/text_library/gui_application.h"
#include "apps/dravel-render/text_library/text_library_interface.h"

#define DRAVEL_EXPORT __attribute__((visibility("default")))

extern "C" {

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
