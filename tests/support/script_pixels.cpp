#include "support/script_pixels.h"

#include <cassert>
#include <memory>
#include <stop_token>

#include "canvas/canvas.h"
#include "canvas/window_look.h"
#include "interpreter/run_script.h"
#include "interpreter/silent_host.h"

namespace dravel::testing {

PixelImage ScriptPixels(std::string_view gbk_script, int width, int height) {
  const std::unique_ptr<Canvas> canvas = Canvas::Create(width, height);
  assert(canvas);
  SetWindowLook(*canvas, EdgeMode::Wrap);
  const Text script(gbk_script);
  SilentHost host(script);
  RunContext context{canvas->Turtle(), host, std::stop_token()};
  context.keep_delays = false;
  RunScript({script, "1"}, context);
  return PixelImage::Of(canvas->VisibleLayer());
}

}  // namespace dravel::testing
