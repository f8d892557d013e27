#include "apps/dravel-render/class_folders.h"

#include <algorithm>
#include <filesystem>

#include "apps/dravel-render/script_folder.h"

namespace dravel {
namespace {

// The folders directly inside `folder` (not through a link) that hold
// scripts, and those that cannot be listed, which the run then names.
std::vector<ClassFolder> ClassesInside(const std::string& folder) {
  std::vector<ClassFolder> classes;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (entries->symlink_status(error).type() != std::filesystem::file_type::directory) continue;
    const std::string name = entries->path().filename().native();
    const std::string path = JoinPath(folder, name);
    const std::optional<std::vector<ScriptFile>> scripts = ListScripts(path);
    if (!scripts || !scripts->empty()) classes.push_back({path, ShownName(name)});
  }
  std::sort(classes.begin(), classes.end(), [](const ClassFolder& a, const ClassFolder& b) {
    return a.name != b.name ? a.name < b.name : a.path < b.path;
  });
  return classes;
}

}  // namespace

std::optional<std::vector<ClassFolder>> ClassesOf(const std::string& folder) {
  const std::optional<std::vector<ScriptFile>> scripts = ListScripts(folder);
  if (!scripts) return std::nullopt;
  if (!scripts->empty()) return std::vector<ClassFolder>{{folder, ""}};
  return ClassesInside(folder);
}

}  // namespace dravel
