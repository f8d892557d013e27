// libdravel-text's exported functions (text_library_interface.h): the
// window's text painter with the GUI application it needs, and the folder
// mode with --check and the folder's children, which still use Qt.
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "apps/dravel-render/batch_child.h"
#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/render_check.h"
#include "apps/dravel-render/render_entry.h"
#include "apps/dravel-render/render_folder.h"
#include "apps/dravel-render/text_library_interface.h"
#include "canvas/text_painter.h"

#define DRAVEL_EXPORT __attribute__((visibility("default")))

namespace dravel {
namespace {

// dravel-render's dispatch past the single script, the command line read again.
int FolderMain(int argc, char** argv) {
  PrepareQt();
  const ParsedCommandLine parsed = ParseRenderOptions(argc, argv);
  const auto* options = std::get_if<RenderOptions>(&parsed);
  assert(options != nullptr);  // dravel-render read it before
  const bool folder = IsFolder(options->script_path);
  if (const auto refused = RefusedOutputs(*options, folder, {".png", ".svg"})) {
    std::cerr << "dravel-render: " << *refused << "\n";
    return 2;
  }
  if (options->batch_report) return RunBatchChild(*options);
  if (options->check) return CheckScripts(*options);
  return RenderFolder(*options);
}

}  // namespace
}  // namespace dravel

extern "C" {

DRAVEL_EXPORT bool dravel_text_start() {
  dravel::StartGuiApplication();
  return true;
}

DRAVEL_EXPORT void dravel_text_paint(const DravelTextRequest* request, DravelTextMask* mask) {
  dravel::TextMask painted = dravel::PaintTextMask(
      {std::string_view(request->gbk_text, request->gbk_size), request->x, request->y,
       request->escapement, request->layer_width, request->layer_height});
  *mask = {painted.left, painted.top, painted.width, painted.height, painted.ascent, nullptr};
  if (painted.coverage.empty()) return;
  mask->coverage = static_cast<uint8_t*>(std::malloc(painted.coverage.size()));
  if (mask->coverage == nullptr) {
    *mask = {};  // left out, not half drawn, as the painter does
    return;
  }
  std::memcpy(mask->coverage, painted.coverage.data(), painted.coverage.size());
}

DRAVEL_EXPORT void dravel_text_free_coverage(uint8_t* coverage) { std::free(coverage); }

DRAVEL_EXPORT void dravel_text_end() { dravel::EndGuiApplication(); }

DRAVEL_EXPORT int dravel_folder_main(int argc, char** argv) {
  return dravel::FolderMain(argc, argv);
}

}  // extern "C"
