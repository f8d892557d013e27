// Login sessions as cookies: a new session's token goes to the browser in
// an HttpOnly, SameSite=Strict cookie (Secure over TLS) and only its hash
// to the store; a request's cookie is looked up to find who is calling.
// Teachers and pupils have cookies of their own names, so one browser may
// hold both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

// Starts a session for `owner_id` and sets its cookie on `reply`.
void StartSession(RouteContext& context, SessionRole role, int64_t owner_id, HubReply& reply);
// Ends the request's session of `role`, if any, and clears its cookie.
void EndSession(RouteContext& context, SessionRole role, HubReply& reply);

// Who the request's cookie of `role` speaks for; nullopt without a live
// session (or a pupil since removed).
std::optional<Caller> SessionCaller(const HubRequest& request, HubStore& store, SessionRole role);

// The value of cookie `name` in a Cookie header; "" when absent.
std::string CookieValue(std::string_view header, std::string_view name);

}  // namespace dravel::hub
