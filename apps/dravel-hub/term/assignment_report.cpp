#include "apps/dravel-hub/term/assignment_report.h"

#include "apps/dravel-hub/term/latest_handins.h"
#include "marking/report_page.h"
#include "marking/script_copies.h"
#include "marking/script_result.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

// ReportPage percent-encodes each part between slashes; these parts are all
// unreserved characters, so the page links the hub's path as written.
std::string HandinLink(const HandinRecord& handin, const char* picture) {
  return "/api/handins/" + std::to_string(handin.id) + "/" + picture;
}

// The result words the report shows (folder_words' ResultWord); a hand-in
// not graded yet shows its own.
std::string ResultOf(HandinState state) {
  switch (state) {
    case HandinState::kGraded: return "ok";
    case HandinState::kFailed: return "failed";
    case HandinState::kQueued:
    case HandinState::kGrading: break;
  }
  return "等待评分";
}

ScriptResult RowOf(const PupilRecord& pupil, const HandinRecord& handin, int copy_group,
                   size_t references) {
  ScriptResult row;
  row.shown = pupil.number + " " + pupil.name + "（第 " + std::to_string(handin.attempt) + " 次" +
              (handin.late ? "，迟交" : "") + "）";
  row.result = ResultOf(handin.state);
  row.exit_status = handin.state == HandinState::kGraded ? 0 : 1;
  row.last_line = Utf8ToGbk(handin.last_message);
  row.score = handin.score;
  // Which reference gave the score is not kept: the card names none.
  row.reference = references;
  row.copy_group = copy_group;
  const bool drawn = handin.state == HandinState::kGraded || handin.state == HandinState::kFailed;
  if (drawn) row.picture_file = HandinLink(handin, "picture.png");
  if (handin.score) row.overlay_file = HandinLink(handin, "overlay.png");
  return row;
}

}  // namespace

std::vector<int> HandinCopyGroups(const std::vector<HandinRecord>& handins,
                                  const std::vector<std::string>& references) {
  std::vector<std::string> keys, common;
  for (const HandinRecord& handin : handins) keys.push_back(CopyKey(handin.script));
  for (const std::string& reference : references) common.push_back(CopyKey(reference));
  return CopyGroups(keys, common);
}

std::string AssignmentReportPage(const AssignmentRecord& assignment,
                                 const std::vector<PupilRecord>& pupils,
                                 const std::vector<HandinRecord>& handins) {
  const auto latest = LatestHandins(handins);
  std::vector<const PupilRecord*> who;
  std::vector<HandinRecord> shown;
  for (const PupilRecord& pupil : pupils) {
    const auto found = latest.find({pupil.id, assignment.id});
    if (found == latest.end()) continue;
    who.push_back(&pupil);
    shown.push_back(*found->second);
  }
  const std::vector<int> groups = HandinCopyGroups(shown, assignment.references);
  std::vector<ScriptResult> rows;
  for (size_t i = 0; i < shown.size(); ++i)
    rows.push_back(RowOf(*who[i], shown[i], groups[i], assignment.references.size()));
  std::vector<const ScriptResult*> pointers;
  for (const ScriptResult& row : rows) pointers.push_back(&row);
  std::vector<std::string> names;
  for (size_t i = 0; i < assignment.references.size(); ++i)
    names.push_back("参考答案 " + std::to_string(i + 1));
  return ReportPage(pointers, names);
}

}  // namespace dravel::hub
