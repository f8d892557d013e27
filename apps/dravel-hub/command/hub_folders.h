// Where dravel-hub finds what it serves when not told: the web page and the
// hub's own pages installed beside it (share/dravel/web and
// share/dravel/hub-pages, from the program's folder), else those of the
// source tree it was built from (build-web/web, apps/dravel-hub/pages).
#pragma once

#include <filesystem>

namespace dravel::hub {

// The first existing folder of the two places; empty when neither exists.
std::filesystem::path DefaultWebFolder();
std::filesystem::path DefaultPagesFolder();

}  // namespace dravel::hub
