// The API's routes as one table: method, path pattern ('#' stands for an
// id), who may call, and the function that answers. Matching a request
// against it is all the dispatch there is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

// kAdmin: a teacher who is the school's administrator.
enum class Access { kAnyone, kTeacher, kPupil, kTeacherOrPupil, kAdmin };

struct Route {
  std::string_view method;
  std::string_view pattern;
  Access access;
  HubReply (*answer)(RouteContext&);
};

struct RouteMatch {
  const Route* route = nullptr;  // null when nothing matched
  std::vector<int64_t> ids;
  bool path_known = false;  // the path matched, under another method
};

// Every route, for tests that walk them all.
std::span<const Route> Routes();

RouteMatch MatchRoute(std::string_view method, std::string_view target);

// The ids of `target`'s path when it fits `pattern`; an id is a decimal
// number from 1 up, nothing else.
std::optional<std::vector<int64_t>> MatchPattern(std::string_view pattern, std::string_view target);

}  // namespace dravel::hub
