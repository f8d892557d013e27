// The node command's place for the bundled font: beside its script
// (build-web/dravel-render-web.js), which node reads the real files beside.
#include <emscripten.h>

#include <string>

#include "canvas/bundled_font.h"

namespace dravel {
namespace {

// The folder's path as UTF-8 into `out` (`size` bytes with the ending zero);
// its length, which may be past `size`.
// The body is JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(int, ScriptFolder, (char* out, int size), {
  const folder = require('path').dirname(process.argv[1] ?? '.');
  stringToUTF8(folder, out, size);
  return lengthBytesUTF8(folder);
});
// clang-format on

}  // namespace

std::vector<std::string> BundledFontPlaces() {
  std::string folder(4096, '\0');
  const int length = ScriptFolder(folder.data(), int(folder.size()));
  if (length <= 0 || size_t(length) >= folder.size()) return {};
  folder.resize(size_t(length));
  return {folder + "/" + kBundledFontName};
}

}  // namespace dravel
