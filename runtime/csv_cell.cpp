#include "runtime/csv_cell.h"

#include "runtime/control_text.h"

namespace dravel {

std::string CsvCell(std::string_view text) {
  std::string cell;
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
    cell = "'";
  cell += ControlsEscaped(text, "\t\r\n");
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace dravel
