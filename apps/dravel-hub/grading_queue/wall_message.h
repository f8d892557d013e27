// The message a class's wall gets about one hand-in, as JSON text: who
// handed in, its state and score, and where its picture is. Made the same
// way when a hand-in arrives and when its grading ends.
#pragma once

#include <string>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

// {"handin_id","assignment_id","pupil_id","number","name","state","score",
// "picture"}; score and picture are null until graded.
std::string WallMessage(const HandinRecord& handin, const PupilRecord& pupil);

}  // namespace dravel::hub
