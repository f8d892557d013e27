// One cell of a CSV file we write for a spreadsheet (a folder run's
// summary.csv, a class's gradebook): quoted as spreadsheets expect, and never
// a formula. A pupil chooses file names and script text, and a cell starting
// with =, +, -, @, a tab or a carriage return is run by a spreadsheet as a
// formula (a link that sends data away, a command); such a cell is written
// with a leading ' so it shows as the text it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravel {

// UTF-8 `text` as one cell (made before any conversion to GBK, whose trail
// bytes may be quotes): a leading ' before a formula's first character,
// control characters but the tab and line breaks written out
// (control_text.h), then quoted when it holds a comma, a quote or a line
// break, its quotes doubled.
std::string CsvCell(std::string_view text);

// A cell CsvCell wrote, its quotes taken off, as the text it was (a folder
// run's summary.csv read back): the leading ' before a formula's first
// character left out. Control characters stay written out.
std::string_view CsvCellText(std::string_view cell);

// The records of a CSV text as CsvCell writes them: fields split at commas,
// quotes taken off ("" inside them is one quote), records at CR LF or LF
// outside quotes; a last empty line is no record.
using CsvRecord = std::vector<std::string>;
std::vector<CsvRecord> CsvRecords(std::string_view text);

}  // namespace dravel
