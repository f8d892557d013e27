// Which of an assignment's latest hand-ins are copies of each other, worked
// out again after each grading with HandinCopyGroups (the report's own) and kept
// on the hand-ins (0 for none).
#pragma once

#include <cstdint>

#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

void RecountCopies(HubStore& store, int64_t assignment_id);

}  // namespace dravel::hub
