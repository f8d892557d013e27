// What every API route is handed: the request, the ids its path carried,
// who is calling (from the session cookie), and the hub's services (the
// store, the wall, the graders' wake-up and the login throttles).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/hub_records.h"
#include "apps/dravel-hub/security/login_throttle.h"
#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

struct ApiServices {
  HubStore& store;
  WallFeed& wall;
  std::function<void()> wake_graders;
  LoginThrottle teacher_logins;
  LoginThrottle pupil_logins;
};

// A caller with a live session: a teacher, or a pupil (with their record).
struct Caller {
  SessionRole role = SessionRole::kTeacher;
  int64_t teacher_id = 0;
  PupilRecord pupil;
};

struct RouteContext {
  const HubRequest& request;
  ApiServices& services;
  std::vector<int64_t> ids;  // the path's numbers, in order
  std::optional<Caller> caller;

  HubStore& Store() { return services.store; }
  int64_t Id(size_t i = 0) const { return ids.at(i); }
};

}  // namespace dravel::hub
