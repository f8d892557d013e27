// Reading the teacher's password for `dravel-hub init`: from a terminal it is
// asked twice without echo; otherwise it is the first line of standard input
// (for scripts). Plain C++ over POSIX termios.
#pragma once

#include <optional>
#include <string>

namespace dravel::hub {

// The password, without its line end; nullopt with `error` set (Chinese)
// when none could be read or the two typed differ.
std::optional<std::string> ReadTeacherPassword(std::string& error);

}  // namespace dravel::hub
