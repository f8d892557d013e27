// The plain C interface of libdravel-text, the one part of dravel-render that
// needs Qt: setting a text into its coverage mask with the window's text
// painter (canvas/text_painter.h), and drawing a folder run's contact sheet
// (contact_sheet.h). dravel-render loads it on demand (text_library.h), so a
// run without text or sheet never loads Qt; the library starts its Qt GUI
// application itself, on the main thread, when asked to. Only plain C crosses:
// the program and the library each have their own C++ library.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

// A text to set (text_mask.h's TextRequest): GBK bytes, not zero-ended.
struct DravelTextRequest {
  const char* gbk_text;
  size_t gbk_size;
  int x;
  int y;
  int escapement;
  int layer_width;
  int layer_height;
};

// What was set (text_mask.h's TextMask); `coverage` holds width x height
// bytes, allocated by the library and given back through DravelTextFree; null
// when nothing of the text is on the layer.
struct DravelTextMask {
  int left;
  int top;
  int width;
  int height;
  int ascent;
  uint8_t* coverage;
};

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

// Starts the GUI application (fonts need it) when it is not yet running;
// main thread only, before the run. False when it cannot start.
typedef bool (*DravelTextStart)(void);
// Sets one text; with no application started, sets nothing.
typedef void (*DravelTextPaint)(const DravelTextRequest* request, DravelTextMask* mask);
// Draws the sheet of `count` entries (starting the application its captions
// need); false, with nothing allocated, when it cannot be drawn or encoded.
typedef bool (*DravelContactSheet)(const DravelSheetEntry* entries, size_t count,
                                   DravelSheetPng* png);
// Frees a mask's coverage or a sheet's bytes.
typedef void (*DravelTextFree)(uint8_t* bytes);
// Ends the application, if it was started; before the program ends.
typedef void (*DravelTextEnd)(void);

}  // extern "C"

// The names the library exports them under.
inline constexpr char kDravelTextStart[] = "dravel_text_start";
inline constexpr char kDravelTextPaint[] = "dravel_text_paint";
inline constexpr char kDravelContactSheet[] = "dravel_contact_sheet";
inline constexpr char kDravelTextFree[] = "dravel_text_free";
inline constexpr char kDravelTextEnd[] = "dravel_text_end";
