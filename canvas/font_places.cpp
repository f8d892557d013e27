// The desktop's places for the bundled font: beside the program, where the
// install puts it (DRAVEL_FONT_FROM_BIN, from the program's folder), and, for
// a program inside the build tree it was built in (DRAVEL_BUILD_TREE), the
// build tree's top folder, where the build makes it. A copy of the program
// elsewhere does not reach back into the build tree.
#include <filesystem>
#include <system_error>

#include "canvas/bundled_font.h"

namespace dravel {

std::vector<std::string> BundledFontPlaces() {
  std::vector<std::string> places;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return places;
  const std::filesystem::path folder = program.parent_path();
  places.push_back(folder / kBundledFontName);
  places.push_back(folder / DRAVEL_FONT_FROM_BIN / kBundledFontName);
  if (program.native().starts_with(DRAVEL_BUILD_TREE "/"))
    places.push_back(std::filesystem::path(DRAVEL_BUILD_TREE) / kBundledFontName);
  return places;
}

}  // namespace dravel
