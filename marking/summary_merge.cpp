#include "marking/summary_merge.h"

#include <algorithm>
#include <charconv>

#include "marking/csv_cell.h"
#include "marking/teacher_words.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

using Record = CsvRecord;

constexpr Word kColumns[] = {
    Word::kClass,    Word::kFile,         Word::kStatus,  Word::kScore,   Word::kLastMessage,
    Word::kWhere,    Word::kLinesDrawn,   Word::kRunTime, Word::kPicture, Word::kReference,
    Word::kFindings, Word::kFirstFinding, Word::kCopies};

// Each column's word, read in either language; nullopt for a header that
// is not a summary's.
std::optional<std::vector<Word>> ColumnsOf(const Record& header) {
  std::vector<Word> columns;
  for (const std::string& cell : header) {
    const auto named = std::find_if(std::begin(kColumns), std::end(kColumns), [&](Word word) {
      return cell == WordOf(word, Language::kEnglish) || cell == WordOf(word, Language::kChinese);
    });
    if (named == std::end(kColumns)) return std::nullopt;
    columns.push_back(*named);
  }
  if (std::find(columns.begin(), columns.end(), Word::kFile) == columns.end()) return std::nullopt;
  return columns;
}

std::string ResultKey(const std::string& cell) {
  for (const char* key : {"ok", "failed", "timeout", "out of memory", "crashed", "unreadable"}) {
    if (cell == ResultWord(key, Language::kEnglish) || cell == ResultWord(key, Language::kChinese))
      return key;
  }
  return "unreadable";
}

template <typename Number>
Number NumberOf(const std::string& cell) {
  Number number{};
  std::from_chars(cell.data(), cell.data() + cell.size(), number);
  return number;
}

// "line N: what" or "第N行：what", as FindingWords writes it.
void ReadFinding(const std::string& cell, ScriptResult& row) {
  for (const auto& [before, after] :
       {std::pair<std::string_view, std::string_view>{"line ", ": "}, {"第", "行："}}) {
    if (!cell.starts_with(before)) continue;
    const size_t end = cell.find(after, before.size());
    if (end == std::string::npos) continue;
    row.first_finding_line = NumberOf<int>(cell.substr(before.size(), end - before.size()));
    row.first_finding = cell.substr(end + after.size());
    return;
  }
}

// The named reference's place among every summary's.
size_t ReferenceIndex(const std::string& name, std::vector<std::string>& references) {
  const auto at = std::find(references.begin(), references.end(), name);
  if (at != references.end()) return size_t(at - references.begin());
  references.push_back(name);
  return references.size() - 1;
}

void SetCell(Word column, const std::string& cell, const std::string& pictures,
             std::vector<std::string>& references, ScriptResult& row) {
  switch (column) {
    case Word::kClass: row.class_name = cell; break;
    case Word::kFile: row.shown = cell; break;
    case Word::kStatus: row.result = ResultKey(cell); break;
    case Word::kScore:
      if (!cell.empty() && cell != kNoScore) row.score = NumberOf<double>(cell);
      break;
    case Word::kLastMessage: row.last_line = Utf8ToGbk(cell); break;
    case Word::kWhere: row.place = cell; break;
    case Word::kLinesDrawn: row.lines_drawn = NumberOf<uint64_t>(cell); break;
    case Word::kRunTime: row.milliseconds = NumberOf<int64_t>(cell); break;
    case Word::kPicture:
      row.picture = cell;
      if (!cell.empty()) row.picture_file = pictures + cell;
      break;
    case Word::kReference:
      if (!cell.empty()) row.reference = ReferenceIndex(cell, references);
      break;
    case Word::kFindings: row.findings = NumberOf<int>(cell); break;
    case Word::kFirstFinding: ReadFinding(cell, row); break;
    case Word::kCopies: row.copy_group = NumberOf<int>(cell); break;
    default: break;
  }
}

}  // namespace

std::optional<std::vector<ScriptResult>> SummaryRows(std::string_view csv,
                                                     const std::string& class_name,
                                                     const std::string& pictures,
                                                     std::vector<std::string>& references) {
  const std::vector<Record> records = CsvRecords(csv);
  if (records.empty()) return std::nullopt;
  const std::optional<std::vector<Word>> columns = ColumnsOf(records.front());
  if (!columns) return std::nullopt;
  std::vector<ScriptResult> rows;
  for (size_t r = 1; r < records.size(); ++r) {
    if (records[r].size() != columns->size()) return std::nullopt;
    ScriptResult row;
    row.class_name = class_name;
    for (size_t c = 0; c < columns->size(); ++c)
      SetCell((*columns)[c], std::string(CsvCellText(records[r][c])), pictures, references, row);
    row.exit_status = row.result == "ok" ? 0 : 1;
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace dravel
