// A class's term of work as one .zip for the teacher: the gradebook (.xlsx
// and UTF-8 .csv) at the top, and a folder 学号_姓名/ per pupil holding each
// hand-in's script (its GBK bytes, .dvg) and picture (.png), each named by
// 学号, 姓名, assignment and attempt. Every typed name passes through
// SafeFileName, so no entry climbs out of its folder or trips Windows; entry
// names are UTF-8, flagged as such.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

// A hand-in's picture as PNG bytes; empty when it has none.
using HandinPicture = std::function<std::string(int64_t handin_id)>;

// The archive's bytes; nullopt when it cannot be made (no memory, no
// temporary file for the workbook).
std::optional<std::string> ClassExportZip(const std::vector<PupilRecord>& pupils,
                                          const std::vector<AssignmentRecord>& assignments,
                                          const std::vector<HandinRecord>& handins,
                                          const HandinPicture& picture);

}  // namespace dravel::hub
