#include "apps/dravel-render/folder/work_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <system_error>

namespace dravel {

WorkFolder::WorkFolder(const std::string& prefix, const std::filesystem::path& root) {
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path base = !root.empty() ? root : tmp && *tmp ? tmp : "/tmp";
  std::string name = (base / (prefix + "-XXXXXX")).string();
  if (mkdtemp(name.data())) path_ = name;
}

WorkFolder::~WorkFolder() {
  std::error_code error;
  if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

}  // namespace dravel
