// Tests write texts as UTF-8 and compare GBK bytes: these convert both ways.
#pragma once

#include <string>
#include <string_view>

#include "runtime/gbk_codec.h"
#include "runtime/text.h"

namespace dravel::testing {

inline Text Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }
inline std::string Utf8(std::string_view gbk) { return GbkToUtf8(gbk); }

}  // namespace dravel::testing
