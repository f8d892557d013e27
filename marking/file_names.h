// How marking names files and shows them to people: a pupil's file name as
// bytes (GBK from a Chinese Windows archive, or UTF-8) shown decoded, a path
// joined, a script told by its ending, and any text kept to one field of one
// line of the outputs. Listing and reading folders is the folder mode's.
// Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace dravel {

// Whether `name` ends in .dvg, in any case.
bool IsScriptName(std::string_view name);

// `bytes` as UTF-8 when valid, else as GBK, in UTF-8.
std::string ShownName(std::string_view bytes);

// `path` with each of its names shown as ShownName shows it: a GBK file in
// a folder named in UTF-8 shows both.
std::string ShownPath(std::string_view path);

// `folder` and `name` joined by one slash.
std::string JoinPath(const std::string& folder, const std::string& name);

// UTF-8 `text` kept to one field of one line, for a name or a message in the
// run's outputs: a tab, a line break or a backslash is written \t, \n, \r
// or \\, any other control character \xNN (control_text.h). (Escaped before
// any conversion to GBK, whose trail bytes may be backslashes.)
std::string OneLineText(std::string_view text);

}  // namespace dravel
