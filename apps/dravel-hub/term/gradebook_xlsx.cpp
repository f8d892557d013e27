#include "apps/dravel-hub/term/gradebook_xlsx.h"

#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include "runtime/file_bytes.h"

namespace dravel::hub {
namespace {

// A file of this workbook's own, for libxlsxwriter writes only to a file;
// removed at the end.
class TemporaryFile {
 public:
  TemporaryFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/dravel-hub-XXXXXX.xlsx";
    const int file = mkstemps(name.data(), 5);
    if (file < 0) return;
    close(file);
    path_ = name;
  }
  ~TemporaryFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct Formats {
  lxw_format* header;
  lxw_format* text;
  lxw_format* score;
  lxw_format* late;
};

Formats MakeFormats(lxw_workbook* workbook) {
  Formats formats{workbook_add_format(workbook), workbook_add_format(workbook),
                  workbook_add_format(workbook), workbook_add_format(workbook)};
  format_set_bold(formats.header);
  format_set_num_format(formats.text, "@");
  format_set_num_format(formats.score, "0.0");
  format_set_num_format(formats.late, "0.0\"（迟交）\"");
  format_set_font_color(formats.late, LXW_COLOR_RED);
  return formats;
}

void WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const GradebookCell& cell,
               const Formats& formats) {
  if (cell.score) {
    worksheet_write_number(sheet, row, col, *cell.score, cell.late ? formats.late : formats.score);
  } else if (!cell.text.empty()) {
    worksheet_write_string(sheet, row, col, cell.text.c_str(), formats.text);
  }
}

bool WriteSheet(lxw_workbook* workbook, const Gradebook& gradebook) {
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "成绩册");
  if (!sheet) return false;
  const Formats formats = MakeFormats(workbook);
  worksheet_set_column(sheet, 0, 0, 16, formats.text);
  worksheet_set_column(sheet, 1, 1, 10, formats.text);
  for (size_t col = 0; col < gradebook.header.size(); ++col)
    worksheet_write_string(sheet, 0, lxw_col_t(col), gradebook.header[col].c_str(), formats.header);
  for (size_t row = 0; row < gradebook.rows.size(); ++row)
    for (size_t col = 0; col < gradebook.rows[row].size(); ++col)
      WriteCell(sheet, lxw_row_t(row + 1), lxw_col_t(col), gradebook.rows[row][col], formats);
  worksheet_freeze_panes(sheet, 1, 2);
  return true;
}

}  // namespace

std::optional<std::string> GradebookXlsx(const Gradebook& gradebook) {
  const TemporaryFile file;
  if (file.Path().empty()) return std::nullopt;
  lxw_workbook* workbook = workbook_new(file.Path().c_str());
  if (!workbook) return std::nullopt;
  const bool written = WriteSheet(workbook, gradebook);
  if (workbook_close(workbook) != LXW_NO_ERROR || !written) return std::nullopt;
  const FileReadResult read = TryReadFileBytes(file.Path());
  if (!read.Ok()) return std::nullopt;
  return std::string(read.bytes.begin(), read.bytes.end());
}

}  // namespace dravel::hub
