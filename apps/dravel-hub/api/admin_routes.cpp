#include "apps/dravel-hub/api/admin_routes.h"

#include <cstdint>

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/route_access.h"

namespace dravel::hub {

HubReply AdminTeachers(RouteContext& context) {
  Json teachers = Json::array();
  for (const TeacherRecord& teacher : context.Store().Teachers()) {
    teachers.push_back({{"id", teacher.id},
                        {"name", teacher.name},
                        {"admin", teacher.admin},
                        {"classes", context.Store().TeacherClasses(teacher.id).size()}});
  }
  return JsonReply(200, teachers);
}

HubReply AdminClasses(RouteContext& context) {
  Json classes = Json::array();
  for (const TeacherRecord& teacher : context.Store().Teachers()) {
    for (const ClassRecord& record : context.Store().TeacherClasses(teacher.id)) {
      classes.push_back({{"id", record.id}, {"name", record.name}, {"teacher_id", teacher.id}});
    }
  }
  return JsonReply(200, classes);
}

HubReply AdminMoveClass(RouteContext& context) {
  const std::optional<Json> body = JsonObjectBody(context.request);
  if (!body || !body->contains("teacher_id") || !body->at("teacher_id").is_number_unsigned()) {
    return BadBody("teacher_id 应为老师的编号");
  }
  // An id past int64 names no teacher.
  const uint64_t asked = body->at("teacher_id").get<uint64_t>();
  const auto teacher_id = static_cast<int64_t>(asked);
  if (asked > INT64_MAX || !context.Store().MoveClass(context.Id(), teacher_id)) {
    return NotFound();
  }
  // A wall the former teacher left open must not go on showing the class.
  context.services.wall.CloseClass(context.Id());
  return JsonReply(200, {{"id", context.Id()}, {"teacher_id", teacher_id}});
}

}  // namespace dravel::hub
