// What a program file holds (the compile): the script with every stop keyword
// deleted. Pure byte work on GBK text, the same for the window's 编译源码 and
// the page's; writing the file is theirs.
#pragma once

#include <string_view>

#include "runtime/text.h"

namespace dravel {

// Deletes every "停止", then every "stop" (lower case only), as plain
// substrings wherever they stand. Matches start only on character boundaries,
// so a double-byte character ending in 's' never begins a "stop". Everything
// else, line breaks included, is kept byte for byte.
Text RemoveStopKeywords(std::string_view script);

}  // namespace dravel
