// One pupil as a class list names them, whichever file the list came in
// (CSV: api/roster_csv.h; .xlsx: roster_xlsx.h), and the limits every list
// is held to, so both readers refuse the same rows alike. Plain C++.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dravel::hub {

struct RosterRow {
  std::string number;  // 学号, UTF-8, trimmed
  std::string name;    // 姓名, UTF-8, trimmed
};

// Far more than a class; a whole school's list is a mistake to report.
inline constexpr size_t kMostPupils = 1000;

// Why `row`, on the list's line `line` (from 1), cannot be kept: a control
// character or an over-long text; "" when it can. Empty texts and repeated
// numbers are each reader's to say, in the words of its own file.
std::string RosterRowFault(size_t line, const RosterRow& row);

// "第 N 行", the start of every reader's refusal of a line.
std::string RosterLine(size_t line);

}  // namespace dravel::hub
