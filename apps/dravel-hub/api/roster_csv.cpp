#include "apps/dravel-hub/api/roster_csv.h"

#include <algorithm>
#include <set>

#include "apps/dravel-hub/api/request_fields.h"
#include "marking/csv_cell.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kNumberHeader = "学号";

std::string RosterUtf8(std::string_view body) {
  if (LooksLikeUtf8(body)) return std::string(WithoutByteOrderMark(body));
  return GbkToUtf8(body);
}

bool IsBlank(const CsvRecord& record) {
  return std::all_of(record.begin(), record.end(),
                     [](const std::string& cell) { return Trim(cell).empty(); });
}

// Why line `line` (1-based) is not a pupil; "" when it is.
std::string RowFault(size_t line, const RosterRow& row, const std::set<std::string>& seen) {
  if (row.number.empty() || row.name.empty()) return RosterLine(line) + "应为“学号,姓名”";
  if (std::string fault = RosterRowFault(line, row); !fault.empty()) return fault;
  if (seen.count(row.number)) return RosterLine(line) + "的学号“" + row.number + "”重复";
  return "";
}

}  // namespace

RosterReading ReadRosterCsv(std::string_view body) {
  const std::vector<CsvRecord> records = CsvRecords(RosterUtf8(body));
  RosterReading reading;
  std::set<std::string> seen;
  bool first_line = true;
  for (size_t i = 0; i < records.size(); ++i) {
    const CsvRecord& record = records[i];
    if (IsBlank(record)) continue;
    RosterRow row{std::string(Trim(record[0])),
                  record.size() > 1 ? std::string(Trim(record[1])) : std::string()};
    const bool header = first_line && row.number == kNumberHeader;
    first_line = false;
    if (header) continue;
    if (std::string fault = RowFault(i + 1, row, seen); !fault.empty()) return {{}, fault};
    if (reading.rows.size() == kMostPupils) {
      return {{}, "名单最多 " + std::to_string(kMostPupils) + " 名学生"};
    }
    seen.insert(row.number);
    reading.rows.push_back(std::move(row));
  }
  if (reading.rows.empty()) reading.error = "名单里没有学生";
  return reading;
}

}  // namespace dravel::hub
