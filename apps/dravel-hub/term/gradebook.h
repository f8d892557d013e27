// A class's gradebook made from the hub's records: a row per pupil with the
// 学号, the 姓名 and the latest score of each assignment, as CSV here and as
// .xlsx in gradebook_xlsx.h. A score stays a number in its own cell, so a
// spreadsheet sorts and averages the column; a late hand-in is marked in a
// last column (迟交) naming the assignments handed in late, rather than
// in the score cell, which would turn the score into text. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

struct GradebookCell {
  std::string text;             // UTF-8, as the CSV shows it
  std::optional<double> score;  // a score cell's number
  bool late = false;            // a score handed in late
};

struct Gradebook {
  std::vector<std::string> header;  // 学号, 姓名, each assignment's title, 迟交
  std::vector<std::vector<GradebookCell>> rows;
};

// The pupils in the order given, the assignments as columns in the order
// given. A cell is empty where nothing was handed in and a dash where the
// latest hand-in has no score (not graded yet, or failed).
Gradebook MakeGradebook(const std::vector<PupilRecord>& pupils,
                        const std::vector<AssignmentRecord>& assignments,
                        const std::vector<HandinRecord>& handins);

enum class CsvEncoding { kUtf8, kGbk };

struct GbkRefusal {
  std::string reason;  // Chinese, naming the character GBK cannot hold
};

// The gradebook as CSV (CR LF lines, every cell guarded as marking/csv_cell.h
// guards it): UTF-8 with a byte order mark, or GBK; refused rather than
// written with a character GBK cannot hold.
std::variant<std::string, GbkRefusal> GradebookCsv(const Gradebook& gradebook,
                                                   CsvEncoding encoding);

}  // namespace dravel::hub
