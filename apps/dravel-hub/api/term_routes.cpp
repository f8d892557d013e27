#include "apps/dravel-hub/api/term_routes.h"

#include "apps/dravel-hub/api/file_reply.h"
#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/request_fields.h"
#include "apps/dravel-hub/api/route_access.h"
#include "apps/dravel-hub/term/assignment_report.h"
#include "apps/dravel-hub/term/class_export.h"
#include "apps/dravel-hub/term/gradebook.h"
#include "apps/dravel-hub/term/gradebook_xlsx.h"
#include "apps/dravel-hub/term/login_cards.h"
#include "apps/dravel-hub/term/safe_file_name.h"

namespace dravel::hub {
namespace {

constexpr char kXlsxType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

HubReply CannotMake(std::string_view what) {
  return ErrorReply(500, "无法生成" + std::string(what) + "，请稍后再试");
}

// "三年级二班_成绩册.csv": the class's name made safe, then ours.
std::string ClassFileName(const ClassRecord& class_record, std::string_view rest) {
  return SafeFileName(class_record.name) + "_" + std::string(rest);
}

Gradebook ClassGradebook(HubStore& store, int64_t class_id) {
  return MakeGradebook(store.ClassPupils(class_id), store.ClassAssignments(class_id),
                       store.ClassHandins(class_id));
}

// The encoding the query asks for; nullopt for one the hub does not write.
std::optional<CsvEncoding> AskedEncoding(std::string_view target) {
  const std::optional<std::string_view> asked = QueryValue(target, "encoding");
  if (!asked || *asked == "utf-8" || *asked == "utf8") return CsvEncoding::kUtf8;
  if (*asked == "gbk") return CsvEncoding::kGbk;
  return std::nullopt;
}

}  // namespace

HubReply ClassCards(RouteContext& context) {
  const std::optional<ClassRecord> found = OwnClass(context, context.Id());
  if (!found) return NotFound();
  return PageReply(LoginCardsPage(*found, context.Store().ClassPupils(found->id)));
}

HubReply AssignmentReport(RouteContext& context) {
  const std::optional<AssignmentRecord> assignment = OwnAssignment(context, context.Id());
  if (!assignment) return NotFound();
  return PageReply(AssignmentReportPage(*assignment,
                                        context.Store().ClassPupils(assignment->class_id),
                                        context.Store().LatestHandins(assignment->id)));
}

HubReply ClassGradebookCsv(RouteContext& context) {
  const std::optional<ClassRecord> found = OwnClass(context, context.Id());
  if (!found) return NotFound();
  const std::optional<CsvEncoding> encoding = AskedEncoding(context.request.target);
  if (!encoding) return BadBody("encoding 应为 utf-8 或 gbk");
  auto csv = GradebookCsv(ClassGradebook(context.Store(), found->id), *encoding);
  if (const auto* refused = std::get_if<GbkRefusal>(&csv)) return ErrorReply(406, refused->reason);
  const char* charset = *encoding == CsvEncoding::kGbk ? "gbk" : "utf-8";
  return DownloadReply(std::string("text/csv; charset=") + charset,
                       std::get<std::string>(std::move(csv)), ClassFileName(*found, "成绩册.csv"),
                       "gradebook.csv");
}

HubReply ClassGradebookXlsx(RouteContext& context) {
  const std::optional<ClassRecord> found = OwnClass(context, context.Id());
  if (!found) return NotFound();
  std::optional<std::string> xlsx = GradebookXlsx(ClassGradebook(context.Store(), found->id));
  if (!xlsx) return CannotMake("成绩册");
  return DownloadReply(kXlsxType, std::move(*xlsx), ClassFileName(*found, "成绩册.xlsx"),
                       "gradebook.xlsx");
}

HubReply ClassExport(RouteContext& context) {
  const std::optional<ClassRecord> found = OwnClass(context, context.Id());
  if (!found) return NotFound();
  HubStore& store = context.Store();
  std::optional<std::string> zip = ClassExportZip(
      store.ClassPupils(found->id), store.ClassAssignments(found->id),
      store.ClassHandins(found->id), [&store](int64_t handin_id) {
        return store.Picture(handin_id, PictureKind::kPicture).value_or(std::string());
      });
  if (!zip) return CannotMake("导出文件");
  return DownloadReply("application/zip", std::move(*zip), ClassFileName(*found, "导出.zip"),
                       "class-export.zip");
}

}  // namespace dravel::hub
