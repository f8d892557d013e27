// Logging in and out: a teacher with their name and password (the
// password alone for the hub's first teacher), a pupil with the
// class's join code, their 学号 and personal code. Wrong tries are counted
// per address and, past the throttle's limit, refused with 429 before any
// password is checked.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply HubInfo(RouteContext& context);
HubReply TeacherLogin(RouteContext& context);
HubReply TeacherLogout(RouteContext& context);
HubReply TeacherMe(RouteContext& context);
HubReply PupilLogin(RouteContext& context);
HubReply PupilLogout(RouteContext& context);
HubReply PupilMe(RouteContext& context);

}  // namespace dravel::hub
