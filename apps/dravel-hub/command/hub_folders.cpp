#include "apps/dravel-hub/command/hub_folders.h"

#include <system_error>

namespace dravel::hub {
namespace fs = std::filesystem;
namespace {

fs::path FirstFolder(const char* installed, const char* built) {
  std::error_code code;
  const fs::path program = fs::read_symlink("/proc/self/exe", code);
  if (!code) {
    const fs::path beside = program.parent_path() / DRAVEL_HUB_SHARE_FROM_BIN / installed;
    if (fs::is_directory(beside, code)) return beside.lexically_normal();
  }
  if (fs::is_directory(built, code)) return built;
  return {};
}

}  // namespace

fs::path DefaultWebFolder() { return FirstFolder("web", DRAVEL_HUB_BUILT_WEB); }

fs::path DefaultPagesFolder() { return FirstFolder("hub-pages", DRAVEL_HUB_BUILT_PAGES); }

}  // namespace dravel::hub
