#include "apps/dravel-hub/grading/reference_pictures.h"

#include <algorithm>

namespace dravel::hub {

std::shared_ptr<const ReferencePictures::Pictures> ReferencePictures::Find(
    const std::vector<std::string>& gbk_references) {
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(sets_.begin(), sets_.end(), [&](const Entry& entry) {
    return entry.first == gbk_references;
  });
  if (found == sets_.end()) return nullptr;
  sets_.splice(sets_.begin(), sets_, found);
  return found->second;
}

void ReferencePictures::Keep(const std::vector<std::string>& gbk_references, Pictures pictures) {
  auto kept = std::make_shared<const Pictures>(std::move(pictures));
  std::lock_guard lock(mutex_);
  // Two workers may both have made the same new set; the later one stands.
  sets_.remove_if([&](const Entry& entry) { return entry.first == gbk_references; });
  sets_.emplace_front(gbk_references, std::move(kept));
  if (sets_.size() > kSetsKept) sets_.pop_back();
}

}  // namespace dravel::hub
