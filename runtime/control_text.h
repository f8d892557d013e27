// Text made safe to print to a terminal or write into a text file: a pupil
// names files and writes scripts, and a control character in either (an
// escape sequence) would clear the teacher's screen or retitle the window
// when a summary is printed or looked at. Such characters are written out
// as \xNN instead.
#pragma once

#include <string>
#include <string_view>

namespace dravel {

// `text` with every control character except those in `kept` written \xNN:
// the bytes below 0x20 and 0x7F, and, in UTF-8 (`utf8`), U+0080 to U+009F
// written \u0080 to \u009F. In GBK those bytes are never part of a two-byte
// character, so GBK text may be given as it is (not `utf8`).
std::string ControlsEscaped(std::string_view text, std::string_view kept, bool utf8 = true);

}  // namespace dravel
