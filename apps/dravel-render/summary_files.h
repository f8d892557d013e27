// The summaries of a folder run: summary.txt (tab-separated, one line per
// script, for reading and for scripts of the teacher's own) and summary.csv
// (for a spreadsheet: UTF-8 with a byte order mark, or GBK, quoted as
// spreadsheets expect). Both list the scripts in the folder's order, each
// with the name of the picture it left (empty when it left none).
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/text.h"

namespace dravel {

inline constexpr char kSummaryFileName[] = "summary.txt";
inline constexpr char kSummaryCsvName[] = "summary.csv";

struct ScriptRow {
  QString shown;    // the file's name for people
  QString picture;  // its picture's name for people; empty when none was written
  int exit_status = 2;
  std::string result = "unreadable";  // ok, failed, timeout, unreadable
  Text last_line;                     // GBK
  std::string place;                  // "line 3, body item 2", or empty
  std::optional<double> score;        // with --reference
  uint64_t lines_drawn = 0;
  int64_t milliseconds = 0;
};

// A score as the summaries and the sheet show it: one decimal.
std::string ScoreText(double score);

// `gbk`: names and messages as GBK bytes instead of UTF-8. `scored` adds the
// score column before the picture's.
std::string SummaryText(const std::vector<ScriptRow>& rows, bool gbk, bool scored);
std::string SummaryCsv(const std::vector<ScriptRow>& rows, bool gbk);

}  // namespace dravel
