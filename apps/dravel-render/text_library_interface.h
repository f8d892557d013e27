// The plain C interface of libdravel-text, the one part of dravel-render that
// needs Qt: setting a text into its coverage mask with the window's text
// painter (canvas/text_painter.h) and, until the folder mode is plain C++,
// the folder mode itself. dravel-render loads it on demand (text_library.h),
// so a script without text never loads Qt; the library starts its Qt GUI
// application itself, on the main thread, when asked to.
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
// bytes, allocated by the library and given back through FreeCoverage; null
// when nothing of the text is on the layer.
struct DravelTextMask {
  int left;
  int top;
  int width;
  int height;
  int ascent;
  uint8_t* coverage;
};

// Starts the GUI application (fonts need it) when it is not yet running;
// main thread only, before the run. False when it cannot start.
typedef bool (*DravelTextStart)(void);
// Sets one text; with no application started, sets nothing.
typedef void (*DravelTextPaint)(const DravelTextRequest* request, DravelTextMask* mask);
typedef void (*DravelTextFreeCoverage)(uint8_t* coverage);
// Ends the application, if it was started; before the program ends.
typedef void (*DravelTextEnd)(void);
// The folder mode, --check and the folder's child processes: dravel-render's
// command line, its exit status.
typedef int (*DravelFolderMain)(int argc, char** argv);

}  // extern "C"

// The names the library exports them under.
inline constexpr char kDravelTextStart[] = "dravel_text_start";
inline constexpr char kDravelTextPaint[] = "dravel_text_paint";
inline constexpr char kDravelTextFreeCoverage[] = "dravel_text_free_coverage";
inline constexpr char kDravelTextEnd[] = "dravel_text_end";
inline constexpr char kDravelFolderMain[] = "dravel_folder_main";
