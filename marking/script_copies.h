// Scripts handed in as copies of each other: the same text once comment
// lines, blank lines and spacing (runs of spaces or tabs anywhere in a
// line) are set aside and each English alias is read as its keyword, so a
// renamed copy with its spaces changed, or written in the aliases, is still
// one. A text a quarter of the class or more shares, or a reference's, is
// the common answer, not a copy. Copies are named in groups, each group
// once. Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravel {

// What of `gbk_script` (CR LF breaks) two copies share; empty for a script
// of nothing but comments and spacing.
std::string CopyKey(std::string_view gbk_script);

// Each script's group of copies by its key: 1, 2, ... in the order of the
// groups' first members; 0 for none. A key alone, an empty key, a key that
// a quarter of the scripts or more share, and a key among `common` (the
// references' keys) are in no group.
std::vector<int> CopyGroups(const std::vector<std::string>& keys,
                            const std::vector<std::string>& common);

}  // namespace dravel
