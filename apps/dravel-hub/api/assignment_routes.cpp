#include "apps/dravel-hub/api/assignment_routes.h"

#include <cstdint>
#include <map>

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/request_fields.h"
#include "apps/dravel-hub/api/route_access.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

constexpr size_t kLongestTitle = 200;  // bytes
// The end of the year 9999: past it no page can show the date, and a number
// beyond int64 would wrap round to one long gone.
constexpr uint64_t kLatestDeadline = 253402300799;

// The assignment's settings from `body` into `record`; "" when all were
// good, else why not.
std::string ReadSettings(const Json& body, AssignmentRecord& record) {
  const std::optional<std::string> title = TextField(body, "title");
  if (!title || title->empty() || title->size() > kLongestTitle) return "标题应为 1 到 60 个字";
  record.title = *title;
  const auto deadline = body.find("deadline");
  if (deadline != body.end() && !deadline->is_null()) {
    if (!deadline->is_number_unsigned() || deadline->get<uint64_t>() > kLatestDeadline) {
      return "截止时间应为 Unix 秒数";
    }
    record.deadline = deadline->get<int64_t>();
  }
  const std::optional<bool> resubmit = FlagField(body, "resubmit", true);
  const std::optional<bool> show_score = FlagField(body, "show_score", true);
  if (!resubmit || !show_score) return "resubmit 与 show_score 应为 true 或 false";
  record.resubmit = *resubmit;
  record.show_score = *show_score;
  std::string refusal;
  std::optional<std::vector<std::string>> references =
      ReferencesField(body, "references", &refusal);
  if (!references) return refusal;
  record.references = std::move(*references);
  return "";
}

Json AssignmentJson(const AssignmentRecord& record) {
  Json references = Json::array();
  for (const std::string& script : record.references) references.push_back(GbkToUtf8(script));
  return {{"id", record.id},
          {"title", record.title},
          {"references", references},
          {"deadline", Nullable(record.deadline)},
          {"resubmit", record.resubmit},
          {"show_score", record.show_score}};
}

Json HandinRow(const PupilRecord& pupil, const HandinRecord* handin) {
  Json row = {{"pupil_id", pupil.id}, {"number", pupil.number}, {"name", pupil.name},
              {"handin_id", nullptr}, {"state", nullptr},       {"score", nullptr},
              {"late", nullptr},      {"copies", nullptr}};
  if (!handin) return row;
  row["handin_id"] = handin->id;
  row["state"] = HandinStateWord(handin->state);
  row["score"] = Nullable(handin->score);
  row["late"] = handin->late;
  row["copies"] = handin->copies;
  return row;
}

}  // namespace

HubReply AddAssignment(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  const std::optional<Json> body = JsonObjectBody(context.request);
  if (!body) return BadBody("应为 JSON 对象");
  AssignmentRecord record;
  record.class_id = context.Id();
  if (std::string fault = ReadSettings(*body, record); !fault.empty()) return BadBody(fault);
  return JsonReply(201, {{"id", context.Store().AddAssignment(record)}});
}

HubReply ListAssignments(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  Json list = Json::array();
  for (const AssignmentRecord& record : context.Store().ClassAssignments(context.Id())) {
    list.push_back(AssignmentJson(record));
  }
  return JsonReply(200, list);
}

HubReply ReplaceReferences(RouteContext& context) {
  if (!OwnAssignment(context, context.Id())) return NotFound();
  const std::optional<Json> body = JsonObjectBody(context.request);
  if (!body) return BadBody("应为 JSON 对象");
  std::string refusal;
  const std::optional<std::vector<std::string>> references =
      ReferencesField(*body, "references", &refusal);
  if (!references) return BadBody(refusal);
  const int queued = context.Store().ReplaceReferences(context.Id(), *references);
  context.services.wake_graders();
  return JsonReply(200, {{"requeued", queued}});
}

HubReply ListHandins(RouteContext& context) {
  const std::optional<AssignmentRecord> assignment = OwnAssignment(context, context.Id());
  if (!assignment) return NotFound();
  std::map<int64_t, HandinRecord> latest;
  for (HandinRecord& handin : context.Store().LatestHandins(context.Id())) {
    latest.emplace(handin.pupil_id, std::move(handin));
  }
  Json rows = Json::array();
  for (const PupilRecord& pupil : context.Store().ClassPupils(assignment->class_id)) {
    const auto found = latest.find(pupil.id);
    rows.push_back(HandinRow(pupil, found == latest.end() ? nullptr : &found->second));
  }
  return JsonReply(200, rows);
}

}  // namespace dravel::hub
