#include "marking/csv_cell.h"

#include "runtime/control_text.h"

namespace dravel {

namespace {

constexpr std::string_view kFormulaStarts = "=+-@\t\r";

bool StartsAFormula(std::string_view text) {
  return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

}  // namespace

std::string CsvCell(std::string_view text) {
  std::string cell;
  if (StartsAFormula(text)) cell = "'";
  cell += ControlsEscaped(text, "\t\r\n");
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string_view CsvCellText(std::string_view cell) {
  if (cell.starts_with('\'') && StartsAFormula(cell.substr(1))) cell.remove_prefix(1);
  return cell;
}

std::vector<CsvRecord> CsvRecords(std::string_view text) {
  std::vector<CsvRecord> records(1, CsvRecord(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      records.back().back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      records.back().emplace_back();
    } else if (!quoted &&
               (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))) {
      i += c == '\r';
      records.emplace_back(1);
    } else {
      records.back().back() += c;
    }
  }
  if (records.back() == CsvRecord(1)) records.pop_back();
  return records;
}

}  // namespace dravel
