#include "apps/dravel-hub/api/route_access.h"

#include <cassert>

#include "apps/dravel-hub/api/json_reply.h"

namespace dravel::hub {

HubReply NotFound() { return ErrorReply(404, "找不到该内容"); }

bool CallerIsAdmin(RouteContext& context) {
  assert(context.caller && context.caller->role == SessionRole::kTeacher);
  const std::optional<TeacherRecord> teacher =
      context.Store().FindTeacher(context.caller->teacher_id);
  return teacher && teacher->admin;
}

std::optional<ClassRecord> OwnClass(RouteContext& context, int64_t class_id) {
  assert(context.caller && context.caller->role == SessionRole::kTeacher);
  std::optional<ClassRecord> found = context.Store().FindClass(class_id);
  if (!found || found->teacher_id != context.caller->teacher_id) return std::nullopt;
  return found;
}

std::optional<AssignmentRecord> OwnAssignment(RouteContext& context, int64_t assignment_id) {
  std::optional<AssignmentRecord> found = context.Store().FindAssignment(assignment_id);
  if (!found || !OwnClass(context, found->class_id)) return std::nullopt;
  return found;
}

std::optional<AssignmentRecord> PupilAssignment(RouteContext& context, int64_t assignment_id) {
  assert(context.caller && context.caller->role == SessionRole::kPupil);
  std::optional<AssignmentRecord> found = context.Store().FindAssignment(assignment_id);
  if (!found || found->class_id != context.caller->pupil.class_id) return std::nullopt;
  return found;
}

std::optional<VisibleHandin> HandinFor(RouteContext& context, int64_t handin_id) {
  assert(context.caller);
  std::optional<HandinRecord> handin = context.Store().FindHandin(handin_id);
  if (!handin) return std::nullopt;
  if (context.caller->role == SessionRole::kPupil) {
    if (handin->pupil_id != context.caller->pupil.id) return std::nullopt;
    std::optional<AssignmentRecord> assignment = PupilAssignment(context, handin->assignment_id);
    if (!assignment) return std::nullopt;
    const bool show_score = assignment->show_score;
    return VisibleHandin{std::move(*handin), std::move(*assignment), show_score};
  }
  std::optional<AssignmentRecord> assignment = OwnAssignment(context, handin->assignment_id);
  if (!assignment) return std::nullopt;
  return VisibleHandin{std::move(*handin), std::move(*assignment), true};
}

}  // namespace dravel::hub
