// A class's roster read from an .xlsx workbook a teacher uploads: the first
// sheet's 学号 and 姓名 columns (a header row naming them is optional; without
// one they are the first two columns). A numeric 学号 cell reads as the
// digits it shows, not as 2023001.0 or 2.023001E6. Every part is read within
// a bound, so a zip bomb or a huge sheet is refused, not unpacked.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "apps/dravel-hub/term/roster_row.h"

namespace dravel::hub {

// The rows in the sheet's order, blank rows skipped; a Chinese reason when
// `bytes` are not a workbook, a part is too large, a row lacks a number or a
// name or breaks RosterRowFault, a 学号 appears twice, there are more than
// kMostPupils, or there is no pupil at all.
std::variant<std::vector<RosterRow>, std::string> ReadRosterXlsx(std::string_view bytes);

// The text of a numeric cell's value as a spreadsheet shows a whole number:
// "2023001.0" and "2.023001E6" as "2023001"; a fraction keeps its digits;
// anything not a number comes back as it is.
std::string NumberCellText(std::string_view value);

}  // namespace dravel::hub
