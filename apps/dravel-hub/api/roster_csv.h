// A class list as a teacher saves it from a spreadsheet: one pupil a line,
// 学号 then 姓名, an optional header line, in UTF-8 (with or without a byte
// order mark) or GBK, told apart by the runtime's sniffing. Both stay text
// exactly as written (leading zeros, long numbers, quotes, a leading =).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-hub/term/roster_row.h"

namespace dravel::hub {

struct RosterReading {
  std::vector<RosterRow> rows;
  std::string error;  // Chinese, naming the line; set when rows are not to be used
};

// The rows of `body`; a line without both texts, with a control character,
// an over-long text or a 学号 met before is an error, as are more than a
// thousand pupils, and then nothing is read.
RosterReading ReadRosterCsv(std::string_view body);

}  // namespace dravel::hub
