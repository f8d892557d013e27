// The page's columns for what the module finds in GBK: a line's characters
// as the page's editor counts them (UTF-16 units, an undecodable byte as one
// kept character). page_tools.cpp also holds the module's answers to the
// page beside runs: the checker, the command rows, hint lines and pictures.
#pragma once

#include <optional>
#include <string_view>

#include "interpreter/run_location.h"

namespace dravel {

// Body item `body_item` (1-based) of line `script_line` (1-based) of
// `gbk_script` (CR LF breaks) in the page's columns; nullopt as BodyItemRange.
std::optional<ByteRange> BodyItemColumns(std::string_view gbk_script, int script_line,
                                         int body_item);

}  // namespace dravel
