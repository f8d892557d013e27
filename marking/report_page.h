// report.html of a folder run: one page in Chinese for a teacher, UTF-8, that
// opens offline and prints well: the class's scores as a histogram at the
// top (with references), then a card per pupil with the name, the result,
// the score and the reference that gave it, the picture and the overlay (files beside the page,
// linked by their names' bytes percent-encoded), the checker's findings, the copies and the last
// message. Plain C++.
#pragma once

#include <string>
#include <vector>

#include "marking/script_result.h"

namespace dravel {

inline constexpr char kReportFileName[] = "report.html";

// The rows in the order the cards show them; `references` (their names)
// when they were scored, each card naming the one that gave its score.
std::string ReportPage(const std::vector<const ScriptResult*>& rows,
                       const std::vector<std::string>& references);

}  // namespace dravel
