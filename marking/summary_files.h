// The summaries of a folder run: summary.txt (tab-separated, one line per
// script, for reading and for scripts of the teacher's own) and summary.csv
// (for a spreadsheet: UTF-8 with a byte order mark, or GBK, quoted as
// spreadsheets expect). Both list the scripts in the folder's order, each
// with the name of the picture it left (empty when it left none).
#pragma once

#include <string>
#include <vector>

#include "marking/script_result.h"
#include "marking/teacher_words.h"

namespace dravel {

inline constexpr char kSummaryFileName[] = "summary.txt";
inline constexpr char kSummaryCsvName[] = "summary.csv";

// `gbk`: names and messages as GBK bytes instead of UTF-8. The headers and
// the result words in `language` (teacher_words). `references`
// (their names) add summary.txt's score column before the picture's, and
// when there are several, a last column in both naming the one that gave
// the score. Rows with a class (a parent folder's run) add a first column
// naming it.
std::string SummaryText(const std::vector<ScriptResult>& rows, bool gbk,
                        const std::vector<std::string>& references, Language language);
std::string SummaryCsv(const std::vector<ScriptResult>& rows, bool gbk,
                       const std::vector<std::string>& references, Language language);

}  // namespace dravel
