// UTF-8 text made safe inside XML or HTML character data and attribute
// values, for the pictures and pages we write (SVG, report.html).
#pragma once

#include <string>
#include <string_view>

namespace dravel {

// The markup characters escaped, and the characters XML 1.0 cannot hold even
// escaped (controls but the tab, U+FFFE, U+FFFF) left out.
std::string MarkupText(std::string_view utf8);

}  // namespace dravel
