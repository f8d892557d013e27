// An assignment's report.html and its groups of copies, made by the marking
// tool's own code (report_page.h, script_copies.h) from the hub's records:
// a card per pupil's latest hand-in, its pictures linked where the hub
// serves them (/api/handins/ID/picture.png and overlay.png).
#pragma once

#include <string>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

// Each hand-in's group of copies (1, 2, ...; 0 for none) as the marking tool
// finds them, the references' own text being the common answer, not a copy.
// `handins`: an assignment's latest hand-in of each pupil (LatestHandins).
std::vector<int> HandinCopyGroups(const std::vector<HandinRecord>& handins,
                                  const std::vector<std::string>& references);

// The page for `assignment` over its hand-ins (every attempt; the latest of
// each pupil is shown), the pupils in the order given.
std::string AssignmentReportPage(const AssignmentRecord& assignment,
                                 const std::vector<PupilRecord>& pupils,
                                 const std::vector<HandinRecord>& handins);

}  // namespace dravel::hub
