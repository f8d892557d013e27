#include "apps/dravel-render/folder/class_folders.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "apps/dravel-render/folder/script_folder.h"
#include "marking/name_looks.h"

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
  // Classes that would look alike (one named in GBK, one in UTF-8), or
  // differ only in case, would share a folder of the output and a name in
  // the rows: shown with their bytes, as pupils are.
  std::map<std::string, int> looks;
  for (const ClassFolder& found : classes) ++looks[FoldedKey(found.name)];
  for (ClassFolder& found : classes) {
    if (looks[FoldedKey(found.name)] > 1)
      found.name += " [" + BytesText(std::filesystem::path(found.path).filename().native()) + "]";
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
