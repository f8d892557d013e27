// The teacher's classes: making one (with its join code), listing them,
// opening and closing joining, importing the class list (CSV or .xlsx; each
// new pupil gets a personal code; pupils already there keep theirs) and removing
// the pupils with everything they handed in.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply AddClass(RouteContext& context);
HubReply ListClasses(RouteContext& context);
HubReply SetJoinOpen(RouteContext& context);
HubReply ImportRoster(RouteContext& context);
HubReply ListPupils(RouteContext& context);
HubReply RemovePupils(RouteContext& context);

}  // namespace dravel::hub
