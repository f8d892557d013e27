#include "apps/dravel-render/summary_merge.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <map>

#include "apps/dravel-render/folder_words.h"
#include "apps/dravel-render/output_folder.h"
#include "apps/dravel-render/report_page.h"
#include "apps/dravel-render/script_folder.h"
#include "apps/dravel-render/summary_files.h"
#include "runtime/control_text.h"
#include "runtime/csv_cell.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

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

// The summary.csv files an argument names: the file, a folder's, or those
// of the folders in it (by name).
std::vector<std::string> SummaryFiles(const std::string& argument) {
  std::error_code error;
  if (!fs::is_directory(argument, error)) return {argument};
  const std::string own = JoinPath(argument, kSummaryCsvName);
  if (fs::exists(own, error)) return {own};
  std::vector<std::string> found;
  for (fs::directory_iterator entries(argument, error);
       !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const std::string inside = JoinPath(entries->path().native(), kSummaryCsvName);
    if (entries->is_directory(error) && fs::exists(inside, error)) found.push_back(inside);
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The overlay a run wrote beside the row's picture (NAME-overlay.png beside
// NAME.png; the summary names only the picture).
void SetOverlay(const fs::path& folder, const std::string& pictures, ScriptResult& row) {
  if (!row.picture.ends_with(".png")) return;
  const std::string overlay = row.picture.substr(0, row.picture.size() - 4) + "-overlay.png";
  std::error_code error;
  if (fs::is_regular_file(folder / overlay, error)) row.overlay_file = pictures + overlay;
}

// Messages name folders and files, whose names may hold control characters.
void Say(const std::string& message) {
  std::cerr << "dravel-render: " << ControlsEscaped(message, "") << "\n";
}

// The rows of the summary at `path`, their copies numbered past `groups`;
// false, said, when it cannot be read or is none of ours.
bool AddSummary(const std::string& path, const std::string& out, std::vector<ScriptResult>& rows,
                std::vector<std::string>& references, int& groups) {
  const FileReadResult read = TryReadFileBytes(path);
  if (!read.Ok()) {
    Say(SaidText(Said::kCannotRead, {path, ErrorWords(read.error)}));
    return false;
  }
  std::string text(read.bytes.begin(), read.bytes.end());
  // A run writes UTF-8 with its mark or GBK; a spreadsheet may have saved it
  // as UTF-8 without.
  text = LooksLikeUtf8(text) ? std::string(WithoutByteOrderMark(text)) : GbkToUtf8(text);
  const fs::path folder = fs::absolute(path).parent_path();
  std::error_code error;
  std::string pictures = fs::relative(folder, fs::absolute(out), error).generic_string();
  pictures = pictures.empty() || pictures == "." ? "" : pictures + "/";
  const auto summary =
      SummaryRows(text, ShownName(folder.filename().native()), pictures, references);
  if (!summary) {
    Say(SaidText(Said::kNotASummary, {path}));
    return false;
  }
  int most = 0;
  for (ScriptResult row : *summary) {
    SetOverlay(folder, pictures, row);
    most = std::max(most, row.copy_group);
    if (row.copy_group != 0) row.copy_group += groups;
    rows.push_back(std::move(row));
  }
  groups += most;
  return true;
}

bool Write(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int error =
      TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).error;
  if (error != 0) Say(SaidText(Said::kCannotWriteWhy, {path, ErrorWords(error)}));
  return error == 0;
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

int MergeSummaries(const RenderOptions& options) {
  const std::string& out = *options.merge_output;
  // As a folder run does: only what an earlier run wrote is replaced.
  const std::vector<std::string> written = {kSummaryCsvName, kReportFileName};
  std::optional<std::string> said;
  if (!options.overwrite) said = InTheWayMessage(out, written);
  if (!said) said = MadeOutputFolder(out, {}, written);
  if (said) {
    Say(*said);
    return 2;
  }
  std::vector<ScriptResult> rows;
  std::vector<std::string> references;
  int groups = 0;
  for (const std::string& argument : options.merged) {
    const std::vector<std::string> files = SummaryFiles(argument);
    if (files.empty()) {
      Say(SaidText(Said::kCannotRead, {JoinPath(argument, kSummaryCsvName), ErrorWords(ENOENT)}));
      return 2;
    }
    for (const std::string& file : files)
      if (!AddSummary(file, out, rows, references, groups)) return 2;
  }
  // Scored runs with one answer name none: the score column stays.
  const bool scored =
      std::any_of(rows.begin(), rows.end(), [](const ScriptResult& row) { return row.score; });
  if (scored && references.empty()) references.emplace_back();
  std::vector<const ScriptResult*> shown;
  for (const ScriptResult& row : rows) shown.push_back(&row);
  const bool csv = Write(JoinPath(out, kSummaryCsvName),
                         SummaryCsv(rows, options.gbk_output, references, LocaleLanguage()));
  const bool page = Write(JoinPath(out, kReportFileName), ReportPage(shown, references));
  const bool recorded = RecordOwnFiles(out, written, false) == 0;
  return csv && page && recorded ? 0 : 2;
}

}  // namespace dravel
