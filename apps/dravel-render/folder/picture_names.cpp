#include "apps/dravel-render/folder/picture_names.h"

#include <cassert>
#include <set>

#include "apps/dravel-render/folder/script_folder.h"
#include "marking/name_looks.h"

namespace dravel {
namespace {

// As a disk that ignores case may compare it: the name shown, folded.
std::string Folded(const std::string& name) { return FoldedKey(ShownName(name)); }

}  // namespace

std::vector<std::string> PictureNames(const std::vector<std::string>& script_names,
                                      const std::string& extension,
                                      const std::vector<std::string>& reserved) {
  std::set<std::string> taken;
  for (const std::string& name : reserved) taken.insert(Folded(name));
  std::vector<std::string> stems, names(script_names.size());
  // Every script's own name first, so a number never takes a later one's.
  for (size_t i = 0; i < script_names.size(); ++i) {
    assert(script_names[i].size() >= 4);
    stems.push_back(script_names[i].substr(0, script_names[i].size() - 4));
    if (taken.insert(Folded(stems[i] + extension)).second) names[i] = stems[i] + extension;
  }
  for (size_t i = 0; i < script_names.size(); ++i) {
    for (int number = 2; names[i].empty(); ++number) {
      const std::string name = stems[i] + "-" + std::to_string(number) + extension;
      if (taken.insert(Folded(name)).second) names[i] = name;
    }
  }
  return names;
}

}  // namespace dravel
