#include "apps/dravel-hub/api/route_table.h"

#include <array>
#include <charconv>

#include "apps/dravel-hub/api/admin_routes.h"
#include "apps/dravel-hub/api/assignment_routes.h"
#include "apps/dravel-hub/api/auth_routes.h"
#include "apps/dravel-hub/api/class_routes.h"
#include "apps/dravel-hub/api/handin_routes.h"
#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/route_access.h"
#include "apps/dravel-hub/api/term_routes.h"

namespace dravel::hub {
namespace {

// The wall is a WebSocket the server upgrades after asking WallClass; a
// plain request there has nothing to get, and of another's class not even
// that it is there.
HubReply WallWithoutUpgrade(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  return ErrorReply(426, "请用 WebSocket 连接");
}

constexpr auto kAnyone = Access::kAnyone;
constexpr auto kTeacher = Access::kTeacher;
constexpr auto kPupil = Access::kPupil;
constexpr auto kEither = Access::kTeacherOrPupil;
constexpr auto kAdmin = Access::kAdmin;

constexpr std::array<Route, 31> kRoutes = {{
    {"GET", "/api/hub", kAnyone, HubInfo},
    {"POST", "/api/teacher/login", kAnyone, TeacherLogin},
    {"POST", "/api/teacher/logout", kAnyone, TeacherLogout},
    {"GET", "/api/teacher/me", kTeacher, TeacherMe},
    {"POST", "/api/classes", kTeacher, AddClass},
    {"GET", "/api/classes", kTeacher, ListClasses},
    {"POST", "/api/classes/#/join", kTeacher, SetJoinOpen},
    {"POST", "/api/classes/#/roster", kTeacher, ImportRoster},
    {"GET", "/api/classes/#/pupils", kTeacher, ListPupils},
    {"DELETE", "/api/classes/#/pupils", kTeacher, RemovePupils},
    {"POST", "/api/classes/#/assignments", kTeacher, AddAssignment},
    {"GET", "/api/classes/#/assignments", kTeacher, ListAssignments},
    {"PUT", "/api/assignments/#/references", kTeacher, ReplaceReferences},
    {"GET", "/api/assignments/#/handins", kTeacher, ListHandins},
    {"POST", "/api/assignments/#/handins", kPupil, HandIn},
    {"POST", "/api/pupil/login", kAnyone, PupilLogin},
    {"POST", "/api/pupil/logout", kAnyone, PupilLogout},
    {"GET", "/api/pupil/me", kPupil, PupilMe},
    {"GET", "/api/pupil/assignments", kPupil, PupilAssignments},
    {"GET", "/api/handins/#", kEither, HandinStatus},
    {"GET", "/api/handins/#/picture.png", kEither, HandinPicture},
    {"GET", "/api/handins/#/overlay.png", kEither, HandinOverlay},
    {"GET", "/api/classes/#/wall", kTeacher, WallWithoutUpgrade},
    {"GET", "/api/classes/#/cards", kTeacher, ClassCards},
    {"GET", "/api/classes/#/gradebook.csv", kTeacher, ClassGradebookCsv},
    {"GET", "/api/classes/#/gradebook.xlsx", kTeacher, ClassGradebookXlsx},
    {"GET", "/api/classes/#/export", kTeacher, ClassExport},
    {"GET", "/api/assignments/#/report.html", kTeacher, AssignmentReport},
    {"GET", "/api/admin/teachers", kAdmin, AdminTeachers},
    {"GET", "/api/admin/classes", kAdmin, AdminClasses},
    {"POST", "/api/admin/classes/#/teacher", kAdmin, AdminMoveClass},
}};

std::string_view NextSegment(std::string_view& path) {
  const size_t slash = path.find('/');
  const std::string_view segment = path.substr(0, slash);
  path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  return segment;
}

std::optional<int64_t> IdSegment(std::string_view segment) {
  int64_t id = 0;
  const auto [end, error] = std::from_chars(segment.data(), segment.data() + segment.size(), id);
  if (error != std::errc() || end != segment.data() + segment.size() || id < 1) return std::nullopt;
  if (segment.front() == '0') return std::nullopt;  // one spelling per id
  return id;
}

}  // namespace

std::optional<std::vector<int64_t>> MatchPattern(std::string_view pattern,
                                                 std::string_view target) {
  std::string_view path = target.substr(0, target.find_first_of("?#"));
  if (pattern.front() != '/' || path.empty() || path.front() != '/') return std::nullopt;
  pattern.remove_prefix(1);
  path.remove_prefix(1);
  std::vector<int64_t> ids;
  while (!pattern.empty() || !path.empty()) {
    if (pattern.empty() || path.empty()) return std::nullopt;
    const std::string_view want = NextSegment(pattern);
    const std::string_view have = NextSegment(path);
    if (want == "#") {
      const std::optional<int64_t> id = IdSegment(have);
      if (!id) return std::nullopt;
      ids.push_back(*id);
    } else if (want != have) {
      return std::nullopt;
    }
  }
  return ids;
}

std::span<const Route> Routes() { return kRoutes; }

RouteMatch MatchRoute(std::string_view method, std::string_view target) {
  RouteMatch match;
  for (const Route& route : kRoutes) {
    std::optional<std::vector<int64_t>> ids = MatchPattern(route.pattern, target);
    if (!ids) continue;
    match.path_known = true;
    if (route.method != method) continue;
    match.route = &route;
    match.ids = std::move(*ids);
    return match;
  }
  return match;
}

}  // namespace dravel::hub
