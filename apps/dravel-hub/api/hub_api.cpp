#include "apps/dravel-hub/api/hub_api.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/route_access.h"
#include "apps/dravel-hub/api/route_table.h"
#include "apps/dravel-hub/api/session_cookie.h"

namespace dravel::hub {
namespace {

bool ChangesState(std::string_view method) {
  return method == "POST" || method == "PUT" || method == "DELETE" || method == "PATCH";
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A page of another site may make the browser send a form here, cookies
// and all; its Origin then names that site, not the host asked.
bool ForeignOrigin(const HubRequest& request) {
  if (request.origin.empty()) return false;
  for (const std::string_view scheme : {"http://", "https://"}) {
    if (request.origin.starts_with(scheme) && !request.host.empty() &&
        SameTextIgnoringCase(std::string_view(request.origin).substr(scheme.size()),
                             request.host)) {
      return false;
    }
  }
  return true;
}

std::optional<Caller> CallerFor(const HubRequest& request, HubStore& store, Access access) {
  switch (access) {
    case Access::kAnyone: return std::nullopt;
    case Access::kTeacher:
    case Access::kAdmin: return SessionCaller(request, store, SessionRole::kTeacher);
    case Access::kPupil: return SessionCaller(request, store, SessionRole::kPupil);
    case Access::kTeacherOrPupil: {
      std::optional<Caller> teacher = SessionCaller(request, store, SessionRole::kTeacher);
      return teacher ? teacher : SessionCaller(request, store, SessionRole::kPupil);
    }
  }
  return std::nullopt;
}

}  // namespace

HubApi::HubApi(HubStore& store, WallFeed& wall, std::function<void()> wake_graders)
    : services_{store, wall, std::move(wake_graders), {}, {}} {}

HubReply HubApi::Handle(const HubRequest& request) {
  try {
    return Answer(request);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dravel-hub: %s %s: %s\n", request.method.c_str(), request.target.c_str(),
                 error.what());
  } catch (...) {
    std::fprintf(stderr, "dravel-hub: %s %s: unknown failure\n", request.method.c_str(),
                 request.target.c_str());
  }
  return ErrorReply(500, "服务器出错，请稍后再试");
}

HubReply HubApi::Answer(const HubRequest& request) {
  if (ChangesState(request.method) && ForeignOrigin(request)) {
    return ErrorReply(403, "拒绝来自其他网站的请求");
  }
  RouteMatch match = MatchRoute(request.method, request.target);
  if (!match.route) {
    return match.path_known ? ErrorReply(405, "不支持这种请求方式") : NotFound();
  }
  RouteContext context{request, services_, std::move(match.ids), std::nullopt};
  if (match.route->access != Access::kAnyone) {
    context.caller = CallerFor(request, services_.store, match.route->access);
    if (!context.caller) return ErrorReply(401, "请先登录");
  }
  if (match.route->access == Access::kAdmin && !CallerIsAdmin(context)) {
    return ErrorReply(403, "只有学校管理员可以这样做");
  }
  return match.route->answer(context);
}

size_t HubApi::BodyLimit(std::string_view target) const {
  return MatchPattern("/api/classes/#/roster", target) ? kRosterBodyLimit : kBodyLimit;
}

std::optional<int64_t> HubApi::WallClass(const HubRequest& request) {
  try {
    const std::optional<std::vector<int64_t>> ids =
        MatchPattern("/api/classes/#/wall", request.target);
    // Browsers send the wall's cookie with an upgrade that another page on
    // the same machine (another port) starts; its Origin gives it away.
    if (!ids || ForeignOrigin(request)) return std::nullopt;
    RouteContext context{request, services_, *ids, std::nullopt};
    context.caller = SessionCaller(request, services_.store, SessionRole::kTeacher);
    if (!context.caller || !OwnClass(context, context.Id())) return std::nullopt;
    return context.Id();
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace dravel::hub
