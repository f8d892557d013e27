// The plain C interface of libdravel-text, the one part of dravel-render that
// needs Qt: drawing a folder run's contact sheet (contact_sheet.h), whose
// captions are set in the platform's fonts. dravel-render loads it on demand
// (text_library.h), so a run without a sheet never loads Qt; the library
// starts its Qt GUI application itself, on the main thread. Only plain C crosses:
// the program and the library each have their own C++ library.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

// One cell of a contact sheet (contact_sheet.h's SheetEntry): zero-ended
// UTF-8 texts, null for none; `thumbnail` is the path of the thumbnail's
// PNG file.
struct DravelSheetEntry {
  const char* name;
  const char* score;
  const char* note;
  bool note_is_failure;  // a result not ok (red), else a finding (brown)
  const char* thumbnail;
};

// A contact sheet as PNG: `size` bytes, allocated by the library and given
// back through DravelTextFree.
struct DravelSheetPng {
  uint8_t* bytes;
  size_t size;
};

// Draws the sheet of `count` entries (starting the application its captions
// need); false, with nothing allocated, when it cannot be drawn or encoded.
typedef bool (*DravelContactSheet)(const DravelSheetEntry* entries, size_t count,
                                   DravelSheetPng* png);
// Frees a sheet's bytes.
typedef void (*DravelTextFree)(uint8_t* bytes);
// Ends the application, if it was started; before the program ends.
typedef void (*DravelTextEnd)(void);

}  // extern "C"

// The names the library exports them under.
inline constexpr char kDravelContactSheet[] = "dravel_contact_sheet";
inline constexpr char kDravelTextFree[] = "dravel_text_free";
inline constexpr char kDravelTextEnd[] = "dravel_text_end";
