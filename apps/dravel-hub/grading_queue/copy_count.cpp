#include "apps/dravel-hub/grading_queue/copy_count.h"

#include "marking/script_copies.h"

namespace dravel::hub {

void RecountCopies(HubStore& store, int64_t assignment_id) {
  const std::optional<AssignmentRecord> assignment = store.FindAssignment(assignment_id);
  if (!assignment) return;
  const std::vector<HandinRecord> handins = store.LatestHandins(assignment_id);
  std::vector<std::string> keys, common;
  for (const HandinRecord& handin : handins) keys.push_back(CopyKey(handin.script));
  for (const std::string& reference : assignment->references) common.push_back(CopyKey(reference));
  const std::vector<int> groups = CopyGroups(keys, common);
  std::vector<std::pair<int64_t, int>> copies;
  for (size_t i = 0; i < handins.size(); ++i) copies.emplace_back(handins[i].id, groups[i]);
  store.SetCopies(copies);
}

}  // namespace dravel::hub
