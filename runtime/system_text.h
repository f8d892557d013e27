// The system's own texts are written in the source as UTF-8 and used as the
// GBK bytes the program shows and writes. SystemText converts one through the
// codec; texts kept in namespace-scope constants are converted once, at
// start-up.
#pragma once

#include <string_view>

#include "runtime/text.h"

namespace dravel {

// The GBK bytes of `utf8`, every character of which GBK must hold.
Text SystemText(std::string_view utf8);

}  // namespace dravel
