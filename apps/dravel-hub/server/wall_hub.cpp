#include "apps/dravel-hub/server/wall_hub.h"

#include <algorithm>

namespace dravel::hub {

void WallHub::Join(int64_t class_id, const std::shared_ptr<WallViewer>& viewer) {
  std::lock_guard lock(mutex_);
  viewers_[class_id].push_back(viewer);
}

void WallHub::Leave(int64_t class_id, const WallViewer* viewer) {
  std::lock_guard lock(mutex_);
  auto found = viewers_.find(class_id);
  if (found == viewers_.end()) return;
  // A viewer leaves from its destructor, when its weak pointer has expired
  // already: expired ones go too.
  std::erase_if(found->second, [viewer](const std::weak_ptr<WallViewer>& weak) {
    auto held = weak.lock();
    return held == nullptr || held.get() == viewer;
  });
  if (found->second.empty()) viewers_.erase(found);
}

void WallHub::Publish(int64_t class_id, std::string message) {
  std::vector<std::weak_ptr<WallViewer>> viewers;
  {
    std::lock_guard lock(mutex_);
    auto found = viewers_.find(class_id);
    if (found == viewers_.end()) return;
    viewers = found->second;
  }
  // Sent outside the lock: a viewer's Send may lead to its own Leave.
  auto shared = std::make_shared<const std::string>(std::move(message));
  for (const auto& weak : viewers) {
    if (auto viewer = weak.lock()) viewer->Send(shared);
  }
}

namespace {

// Outside the hub's lock: a viewer's closing leads to its own Leave.
void CloseEach(const std::vector<std::weak_ptr<WallViewer>>& viewers) {
  for (const auto& weak : viewers) {
    if (auto viewer = weak.lock()) viewer->Close();
  }
}

}  // namespace

void WallHub::CloseClass(int64_t class_id) {
  std::vector<std::weak_ptr<WallViewer>> viewers;
  {
    std::lock_guard lock(mutex_);
    auto found = viewers_.find(class_id);
    if (found == viewers_.end()) return;
    viewers = found->second;
  }
  CloseEach(viewers);
}

void WallHub::CloseAll() {
  std::vector<std::weak_ptr<WallViewer>> viewers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [class_id, watching] : viewers_) {
      viewers.insert(viewers.end(), watching.begin(), watching.end());
    }
  }
  CloseEach(viewers);
}

size_t WallHub::Viewers(int64_t class_id) const {
  std::lock_guard lock(mutex_);
  auto found = viewers_.find(class_id);
  return found == viewers_.end() ? 0 : found->second.size();
}

}  // namespace dravel::hub
