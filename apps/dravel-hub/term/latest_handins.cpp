#include "apps/dravel-hub/term/latest_handins.h"

#include <tuple>

namespace dravel::hub {

std::map<PupilAssignment, const HandinRecord*> LatestHandins(
    const std::vector<HandinRecord>& handins) {
  std::map<PupilAssignment, const HandinRecord*> latest;
  for (const HandinRecord& handin : handins) {
    const HandinRecord*& kept = latest[{handin.pupil_id, handin.assignment_id}];
    if (!kept || std::tie(handin.attempt, handin.handed_in_at, handin.id) >
                     std::tie(kept->attempt, kept->handed_in_at, kept->id))
      kept = &handin;
  }
  return latest;
}

}  // namespace dravel::hub
