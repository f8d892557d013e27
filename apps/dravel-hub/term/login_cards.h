// The login cards a teacher prints and cuts out: one per pupil with the
// class's name and join code and the pupil's 学号, 姓名 and personal code.
// One HTML page, UTF-8, in Chinese, laid out for A4 (eight cards a sheet,
// none split across sheets); every text a user typed is escaped.
#pragma once

#include <string>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

std::string LoginCardsPage(const ClassRecord& class_record, const std::vector<PupilRecord>& pupils);

}  // namespace dravel::hub
