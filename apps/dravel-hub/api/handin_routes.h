// Handing in and looking at hand-ins: a pupil's list of their class's
// assignments, handing in a script (acknowledged once committed, marked
// late after the deadline, refused when a second try is not allowed), a
// hand-in's state and its pictures, for the pupil who made it (score and
// overlay only where the assignment shows scores) and for the teacher.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply PupilAssignments(RouteContext& context);
HubReply HandIn(RouteContext& context);
HubReply HandinStatus(RouteContext& context);
HubReply HandinPicture(RouteContext& context);
HubReply HandinOverlay(RouteContext& context);

}  // namespace dravel::hub
