#include "apps/dravel-hub/api/handin_routes.h"

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/request_fields.h"
#include "apps/dravel-hub/api/route_access.h"
#include "apps/dravel-hub/grading_queue/wall_message.h"
#include "apps/dravel-hub/unix_time.h"

namespace dravel::hub {
namespace {

Json PupilAssignmentJson(const AssignmentRecord& record, const std::optional<HandinRecord>& last) {
  return {{"id", record.id},
          {"title", record.title},
          {"deadline", Nullable(record.deadline)},
          {"handed_in", last.has_value()},
          {"score", last && record.show_score ? Nullable(last->score) : Json()},
          {"resubmit", record.resubmit},
          {"show_score", record.show_score}};
}

HubReply PictureReply(RouteContext& context, PictureKind kind) {
  const std::optional<VisibleHandin> visible = HandinFor(context, context.Id());
  if (!visible || (kind == PictureKind::kOverlay && !visible->show_score)) return NotFound();
  std::optional<std::string> png = context.Store().Picture(visible->handin.id, kind);
  if (!png) return ErrorReply(404, "图片尚未生成");
  HubReply reply;
  reply.content_type = "image/png";
  reply.body = std::move(*png);
  // Grading again replaces the picture under the same address.
  reply.headers.emplace_back("Cache-Control", "no-cache");
  return reply;
}

}  // namespace

HubReply PupilAssignments(RouteContext& context) {
  const PupilRecord& pupil = context.caller->pupil;
  Json list = Json::array();
  for (const AssignmentRecord& record : context.Store().ClassAssignments(pupil.class_id)) {
    list.push_back(PupilAssignmentJson(record, context.Store().LatestHandin(record.id, pupil.id)));
  }
  return JsonReply(200, list);
}

HubReply HandIn(RouteContext& context) {
  const std::optional<AssignmentRecord> assignment = PupilAssignment(context, context.Id());
  if (!assignment) return NotFound();
  const std::optional<Json> body = JsonObjectBody(context.request);
  if (!body || !body->contains("script") || !body->at("script").is_string()) {
    return BadBody("缺少脚本");
  }
  std::string refusal;
  std::optional<std::string> script =
      ScriptToGbk(body->at("script").get_ref<const std::string&>(), &refusal);
  if (!script) return BadBody("脚本" + refusal);
  if (Trim(*script).empty()) return BadBody("脚本是空的");
  // Every hand-in costs the graders whole runs: one pupil handing in again
  // and again must not keep the rest of the class waiting.
  if (const std::optional<HandinRecord> last =
          context.Store().LatestHandin(assignment->id, context.caller->pupil.id);
      last && (last->state == HandinState::kQueued || last->state == HandinState::kGrading)) {
    return ErrorReply(429, "上一份作业还在批改，请批改完后再交");
  }
  HandinRecord handin;
  handin.assignment_id = assignment->id;
  handin.pupil_id = context.caller->pupil.id;
  handin.script = std::move(*script);
  handin.handed_in_at = UnixNow();
  handin.late = assignment->deadline && handin.handed_in_at > *assignment->deadline;
  if (!context.Store().AddHandin(handin, !assignment->resubmit)) {
    return ErrorReply(409, "这份作业已经交过，老师没有允许重交");
  }
  context.services.wake_graders();
  context.services.wall.Publish(context.caller->pupil.class_id,
                                WallMessage(handin, context.caller->pupil));
  return JsonReply(201, {{"handin_id", handin.id}, {"state", HandinStateWord(handin.state)}});
}

HubReply HandinStatus(RouteContext& context) {
  const std::optional<VisibleHandin> visible = HandinFor(context, context.Id());
  if (!visible) return NotFound();
  const HandinRecord& handin = visible->handin;
  return JsonReply(200, {{"state", HandinStateWord(handin.state)},
                         {"score", visible->show_score ? Nullable(handin.score) : Json()},
                         {"late", handin.late},
                         {"last_message", handin.last_message}});
}

HubReply HandinPicture(RouteContext& context) {
  return PictureReply(context, PictureKind::kPicture);
}

HubReply HandinOverlay(RouteContext& context) {
  return PictureReply(context, PictureKind::kOverlay);
}

}  // namespace dravel::hub
