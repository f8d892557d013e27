// A name someone typed (a pupil's, an assignment's title) made safe as one
// part of a path, on Windows as on Linux and inside a zip: never a path of
// its own, never a device, never empty. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace dravel::hub {

// `utf8` with slashes, backslashes, the characters Windows refuses (: * ? " <
// > |) and control characters each made '_'; spaces and dots off its ends
// (Windows drops trailing ones); a device name (CON, NUL, COM1, ... with any
// extension) given a leading '_'; cut to at most kMostNameBytes at a
// character's end. "_" for a name with nothing left.
std::string SafeFileName(std::string_view utf8);

inline constexpr size_t kMostNameBytes = 80;

}  // namespace dravel::hub
