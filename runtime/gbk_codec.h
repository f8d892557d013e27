// The one place where GBK (code page 936) bytes and UTF-8 are converted into
// each other. Neither direction throws: bytes that do not decode become
// U+FFFD, characters GBK cannot hold become '?'.
#pragma once

#include <string>
#include <string_view>

namespace dravel {

std::string GbkToUtf8(std::string_view gbk);

// Sets *lossless (when given) to false when any character became '?'.
std::string Utf8ToGbk(std::string_view utf8, bool* lossless = nullptr);

}  // namespace dravel
