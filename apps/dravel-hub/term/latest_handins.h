// Which hand-in counts for a pupil and an assignment at the term's end: the
// latest attempt. The gradebook, the report, the copies and the export all
// ask here. Plain C++.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

// (pupil id, assignment id)
using PupilAssignment = std::pair<int64_t, int64_t>;

// Each pupil's and assignment's latest hand-in among `handins`: the highest
// attempt, the later hand-in on a tie. Points into `handins`.
std::map<PupilAssignment, const HandinRecord*> LatestHandins(
    const std::vector<HandinRecord>& handins);

}  // namespace dravel::hub
