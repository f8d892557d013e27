// Scripts handed in as copies of each other: the same text once comment
// lines, blank lines and spacing (runs of spaces or tabs anywhere in a
// line) are set aside, so a renamed copy with its spaces changed is still
// one. Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravel {

// What of `gbk_script` (CR LF breaks) two copies share; empty for a script
// of nothing but comments and spacing.
std::string CopyKey(std::string_view gbk_script);

// For each script, the names of the others with its key (an empty key has
// none), in their order, joined by ", ".
std::vector<std::string> CopiesOf(const std::vector<std::string>& keys,
                                  const std::vector<std::string>& names);

}  // namespace dravel
