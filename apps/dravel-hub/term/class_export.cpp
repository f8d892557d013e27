#include "apps/dravel-hub/term/class_export.h"

#include <map>

#include "apps/dravel-hub/term/gradebook.h"
#include "apps/dravel-hub/term/gradebook_xlsx.h"
#include "apps/dravel-hub/term/safe_file_name.h"
#include "apps/dravel-hub/term/zip_archive.h"

namespace dravel::hub {
namespace {

constexpr char kGradebookName[] = "成绩册";

// "学号_姓名" of a pupil, or of a hand-in whose pupil is not in the list.
std::string PupilStem(const PupilRecord* pupil, int64_t pupil_id) {
  if (!pupil) return "未知学生_" + std::to_string(pupil_id);
  return SafeFileName(pupil->number) + "_" + SafeFileName(pupil->name);
}

std::string AssignmentStem(const AssignmentRecord* assignment, int64_t assignment_id) {
  return assignment ? SafeFileName(assignment->title) : "作业_" + std::to_string(assignment_id);
}

template <typename Record>
std::map<int64_t, const Record*> ById(const std::vector<Record>& records) {
  std::map<int64_t, const Record*> by_id;
  for (const Record& record : records) by_id.emplace(record.id, &record);
  return by_id;
}

template <typename Record>
const Record* Find(const std::map<int64_t, const Record*>& by_id, int64_t id) {
  const auto found = by_id.find(id);
  return found == by_id.end() ? nullptr : found->second;
}

bool AddGradebook(ZipWriter& zip, const std::vector<PupilRecord>& pupils,
                  const std::vector<AssignmentRecord>& assignments,
                  const std::vector<HandinRecord>& handins) {
  const Gradebook gradebook = MakeGradebook(pupils, assignments, handins);
  std::optional<std::string> xlsx = GradebookXlsx(gradebook);
  if (!xlsx) return false;
  auto csv = GradebookCsv(gradebook, CsvEncoding::kUtf8);
  return zip.Add(std::string(kGradebookName) + ".xlsx", std::move(*xlsx)) &&
         zip.Add(std::string(kGradebookName) + ".csv", std::get<std::string>(std::move(csv)));
}

}  // namespace

std::optional<std::string> ClassExportZip(const std::vector<PupilRecord>& pupils,
                                          const std::vector<AssignmentRecord>& assignments,
                                          const std::vector<HandinRecord>& handins,
                                          const HandinPicture& picture) {
  ZipWriter zip;
  if (!AddGradebook(zip, pupils, assignments, handins)) return std::nullopt;
  const auto pupil_by_id = ById(pupils);
  const auto assignment_by_id = ById(assignments);
  for (const HandinRecord& handin : handins) {
    const std::string pupil = PupilStem(Find(pupil_by_id, handin.pupil_id), handin.pupil_id);
    const std::string stem =
        pupil + "/" + pupil + "_" +
        AssignmentStem(Find(assignment_by_id, handin.assignment_id), handin.assignment_id) + "_第" +
        std::to_string(handin.attempt) + "次";
    if (!zip.Add(stem + ".dvg", handin.script)) return std::nullopt;
    std::string png = picture(handin.id);
    if (!png.empty() && !zip.Add(stem + ".png", std::move(png))) return std::nullopt;
  }
  return zip.Finish();
}

}  // namespace dravel::hub
