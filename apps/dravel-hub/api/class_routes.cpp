#include "apps/dravel-hub/api/class_routes.h"

#include <variant>

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/request_fields.h"
#include "apps/dravel-hub/api/roster_csv.h"
#include "apps/dravel-hub/api/route_access.h"
#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/term/roster_xlsx.h"

namespace dravel::hub {
namespace {

constexpr size_t kLongestClassName = 120;  // bytes
// Join codes are drawn from about 900 million: a clash is rare, ten in a
// row means something else is wrong.
constexpr int kJoinCodeDraws = 10;

Json ClassJson(const ClassRecord& record) {
  return {{"id", record.id},
          {"name", record.name},
          {"join_code", record.join_code},
          {"join_open", record.join_open}};
}

HubReply PupilsReply(HubStore& store, int64_t class_id) {
  Json pupils = Json::array();
  for (const PupilRecord& pupil : store.ClassPupils(class_id)) {
    pupils.push_back(
        {{"id", pupil.id}, {"number", pupil.number}, {"name", pupil.name}, {"code", pupil.code}});
  }
  return JsonReply(200, {{"pupils", pupils}});
}

// The class list in either file a teacher saves it as: an .xlsx workbook
// (a zip archive, so "PK" first) or CSV.
std::variant<std::vector<RosterRow>, std::string> ReadRoster(std::string_view body) {
  if (body.starts_with("PK")) return ReadRosterXlsx(body);
  RosterReading reading = ReadRosterCsv(body);
  if (!reading.error.empty()) return std::move(reading.error);
  return std::move(reading.rows);
}

}  // namespace

HubReply AddClass(RouteContext& context) {
  const std::optional<Json> body = JsonObjectBody(context.request);
  const std::optional<std::string> name = body ? TextField(*body, "name") : std::nullopt;
  if (!name || name->empty() || name->size() > kLongestClassName) {
    return BadBody("班级名称应为 1 到 40 个字");
  }
  ClassRecord record{0, context.caller->teacher_id, *name, "", true};
  for (int i = 0; i < kJoinCodeDraws; ++i) {
    record.join_code = NewJoinCode();
    if (const std::optional<int64_t> id = context.Store().AddClass(record)) {
      return JsonReply(201, {{"id", *id}, {"join_code", record.join_code}});
    }
  }
  return ErrorReply(500, "无法生成班级码，请重试");
}

HubReply ListClasses(RouteContext& context) {
  Json classes = Json::array();
  for (const ClassRecord& record : context.Store().TeacherClasses(context.caller->teacher_id)) {
    classes.push_back(ClassJson(record));
  }
  return JsonReply(200, classes);
}

HubReply SetJoinOpen(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  const std::optional<Json> body = JsonObjectBody(context.request);
  if (!body || !body->contains("open") || !body->at("open").is_boolean()) {
    return BadBody("open 应为 true 或 false");
  }
  const bool open = body->at("open").get<bool>();
  context.Store().SetJoinOpen(context.Id(), open);
  return JsonReply(200, {{"join_open", open}});
}

HubReply ImportRoster(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  auto reading = ReadRoster(context.request.body);
  if (const auto* refusal = std::get_if<std::string>(&reading)) return ErrorReply(400, *refusal);
  std::vector<PupilRecord> pupils;
  for (const RosterRow& row : std::get<std::vector<RosterRow>>(reading)) {
    pupils.push_back({0, context.Id(), row.number, row.name, NewPupilCode()});
  }
  context.Store().AddPupils(context.Id(), pupils);
  return PupilsReply(context.Store(), context.Id());
}

HubReply ListPupils(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  return PupilsReply(context.Store(), context.Id());
}

HubReply RemovePupils(RouteContext& context) {
  if (!OwnClass(context, context.Id())) return NotFound();
  return JsonReply(200, {{"removed", context.Store().RemoveClassPupils(context.Id())}});
}

}  // namespace dravel::hub
