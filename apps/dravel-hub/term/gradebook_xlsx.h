// The gradebook (gradebook.h) as an .xlsx workbook, written by libxlsxwriter:
// 学号 and names as text cells, so leading zeros and long numbers survive;
// scores as numbers with one decimal, a late one shown as "87.0（迟交）" by
// its cell's number format while staying a number a formula can use.
#pragma once

#include <optional>
#include <string>

#include "apps/dravel-hub/term/gradebook.h"

namespace dravel::hub {

// The workbook's bytes; nullopt when it cannot be written (no temporary
// file, no memory).
std::optional<std::string> GradebookXlsx(const Gradebook& gradebook);

}  // namespace dravel::hub
