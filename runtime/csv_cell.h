// One cell of a CSV file we write for a spreadsheet (a folder run's
// summary.csv, a class's gradebook): quoted as spreadsheets expect, and never
// a formula. A pupil chooses file names and script text, and a cell starting
// with =, +, -, @, a tab or a carriage return is run by a spreadsheet as a
// formula (a link that sends data away, a command); such a cell is written
// with a leading ' so it shows as the text it is.
#pragma once

#include <string>
#include <string_view>

namespace dravel {

// `text` (UTF-8 or GBK: only ASCII bytes are looked at, and escaping is
// done before any conversion, since a GBK trail byte may be a quote) as one
// cell: a leading ' before a formula's first character, then quoted when it
// holds a comma, a quote or a line break, its quotes doubled.
std::string CsvCell(std::string_view text);

}  // namespace dravel
