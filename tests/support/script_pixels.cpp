#include "support/script_pixels.h"

#include <stop_token>
#include <vector>

#include "canvas/pixel_canvas.h"
#include "canvas/window_look.h"
#include "interpreter/run_script.h"
#include "interpreter/silent_host.h"

namespace dravel::testing {

PixelImage ScriptPixels(std::string_view gbk_script, int width, int height) {
  static const std::vector<PixelImage> kNoFrames;
  PixelCanvas canvas(width, height,
                     [](int) -> const std::vector<PixelImage>& { return kNoFrames; });
  SetWindowLook(canvas, EdgeMode::Wrap);
  const Text script(gbk_script);
  SilentHost host(script);
  RunContext context{canvas, host, std::stop_token()};
  context.keep_delays = false;
  RunScript({script, "1"}, context);
  return {canvas.Surface().Width(), canvas.Surface().Height(), canvas.Surface().VisibleLayer()};
}

}  // namespace dravel::testing
