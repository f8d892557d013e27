#include "apps/dravel-hub/term/gradebook.h"

#include <charconv>

#include "apps/dravel-hub/term/latest_handins.h"
#include "marking/csv_cell.h"
#include "marking/script_result.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

constexpr char kLateHeader[] = "迟交";

GradebookCell ScoreCell(const HandinRecord* handin) {
  if (!handin) return {};
  if (!handin->score) return {kNoScore, std::nullopt, handin->late};
  // The number as the text shows it, so the workbook and the CSV agree on
  // a score like 87.25 that one decimal rounds.
  std::string text = ScoreText(*handin->score);
  double shown = *handin->score;
  std::from_chars(text.data(), text.data() + text.size(), shown);
  return {std::move(text), shown, handin->late};
}

std::vector<GradebookCell> PupilRow(const PupilRecord& pupil,
                                    const std::vector<AssignmentRecord>& assignments,
                                    const std::map<PupilAssignment, const HandinRecord*>& latest) {
  std::vector<GradebookCell> row = {{pupil.number, {}, false}, {pupil.name, {}, false}};
  std::string late;
  for (const AssignmentRecord& assignment : assignments) {
    const auto found = latest.find({pupil.id, assignment.id});
    row.push_back(ScoreCell(found == latest.end() ? nullptr : found->second));
    if (row.back().late) late += (late.empty() ? "" : "、") + assignment.title;
  }
  row.push_back({late, {}, false});
  return row;
}

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (const std::string& cell : cells) line += (line.empty() ? "" : ",") + CsvCell(cell);
  return line + "\r\n";
}

// The first cell holding a character GBK cannot hold, said; nullopt when none.
std::optional<GbkRefusal> GbkLoss(const Gradebook& gradebook) {
  std::vector<const std::string*> texts;
  for (const std::string& title : gradebook.header) texts.push_back(&title);
  for (const auto& row : gradebook.rows)
    for (const GradebookCell& cell : row) texts.push_back(&cell.text);
  for (const std::string* text : texts) {
    const size_t at = FirstUnconvertible(*text);
    if (at == std::string::npos) continue;
    size_t end = at + 1;
    while (end < text->size() && (uint8_t((*text)[end]) & 0xC0) == 0x80) ++end;
    return GbkRefusal{"“" + *text + "”中的“" + text->substr(at, end - at) +
                      "”无法用 GBK 保存；请导出 UTF-8 的 CSV"};
  }
  return std::nullopt;
}

}  // namespace

Gradebook MakeGradebook(const std::vector<PupilRecord>& pupils,
                        const std::vector<AssignmentRecord>& assignments,
                        const std::vector<HandinRecord>& handins) {
  Gradebook gradebook;
  gradebook.header = {"学号", "姓名"};
  for (const AssignmentRecord& assignment : assignments)
    gradebook.header.push_back(assignment.title);
  gradebook.header.push_back(kLateHeader);
  const auto latest = LatestHandins(handins);
  for (const PupilRecord& pupil : pupils)
    gradebook.rows.push_back(PupilRow(pupil, assignments, latest));
  return gradebook;
}

std::variant<std::string, GbkRefusal> GradebookCsv(const Gradebook& gradebook,
                                                   CsvEncoding encoding) {
  if (encoding == CsvEncoding::kGbk) {
    if (auto refused = GbkLoss(gradebook)) return *refused;
  }
  // Cells are guarded in UTF-8 and the whole converted after: a GBK trail
  // byte may be a quote.
  std::string csv = CsvLine(gradebook.header);
  for (const auto& row : gradebook.rows) {
    std::vector<std::string> cells;
    for (const GradebookCell& cell : row) cells.push_back(cell.text);
    csv += CsvLine(cells);
  }
  return encoding == CsvEncoding::kGbk ? Utf8ToGbk(csv) : "\xEF\xBB\xBF" + csv;
}

}  // namespace dravel::hub
