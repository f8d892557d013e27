// The teacher's assignments: setting one with its references (scripts kept
// in GBK), listing a class's, replacing the references (every hand-in is
// graded again) and the class's latest hand-ins, one row a pupil, those
// who have not handed in among them.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply AddAssignment(RouteContext& context);
HubReply ListAssignments(RouteContext& context);
HubReply ReplaceReferences(RouteContext& context);
HubReply ListHandins(RouteContext& context);

}  // namespace dravel::hub
