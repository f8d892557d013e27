#include "apps/dravel-render/folder/merge_command.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iostream>

#include "apps/dravel-render/folder/output_folder.h"
#include "marking/file_names.h"
#include "marking/report_page.h"
#include "marking/summary_files.h"
#include "marking/summary_merge.h"
#include "marking/teacher_words.h"
#include "runtime/control_text.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

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
