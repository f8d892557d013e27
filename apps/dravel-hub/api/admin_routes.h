// A school administrator's routes: every teacher with how many classes
// each has, every class with its teacher, and handing a class from one
// teacher to another. The table lets only an administrator's session in;
// for their own classes an administrator is a teacher like any other.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply AdminTeachers(RouteContext& context);
HubReply AdminClasses(RouteContext& context);
HubReply AdminMoveClass(RouteContext& context);

}  // namespace dravel::hub
