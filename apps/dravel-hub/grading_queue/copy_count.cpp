#include "apps/dravel-hub/grading_queue/copy_count.h"

#include "apps/dravel-hub/term/assignment_report.h"

namespace dravel::hub {

void RecountCopies(HubStore& store, int64_t assignment_id) {
  const std::optional<AssignmentRecord> assignment = store.FindAssignment(assignment_id);
  if (!assignment) return;
  const std::vector<HandinRecord> handins = store.LatestHandins(assignment_id);
  const std::vector<int> groups = HandinCopyGroups(handins, assignment->references);
  std::vector<std::pair<int64_t, int>> copies;
  for (size_t i = 0; i < handins.size(); ++i) copies.emplace_back(handins[i].id, groups[i]);
  store.SetCopies(copies);
}

}  // namespace dravel::hub
