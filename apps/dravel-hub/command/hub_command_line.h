// dravel-hub's command line: the commands (init, serve, teacher add,
// teacher list), one table of
// their options from which both the parser and the usage text are made, and
// the teacher's password rules. Messages are Chinese (UTF-8). Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravel::hub {

enum class HubCommandKind { kHelp, kInit, kServe, kTeacherAdd, kTeacherList };

struct HubCommand {
  HubCommandKind kind = HubCommandKind::kHelp;
  std::filesystem::path data;
  uint16_t port = 8080;
  std::string bind = "0.0.0.0";
  int jobs = 2;
  int grade_timeout_seconds = 10;  // each graded run's limit
  // A computer room behind one NAT address opens the page in up to 6
  // connections per browser; one client holding this many still leaves the
  // hub's other connections to everyone else.
  size_t connections_per_address = 512;
  std::filesystem::path tls_certificate;
  std::filesystem::path tls_key;
  std::filesystem::path web;  // empty: the installed or built page's folder
  std::string teacher_name;   // teacher add: as typed
  bool admin = false;         // teacher add: a school administrator
};

// The command `arguments` (without the program's name) ask for; nullopt with
// `error` set (one Chinese line) when they are not a valid command.
std::optional<HubCommand> ParseHubCommand(std::span<const std::string_view> arguments,
                                          std::string& error);

std::string HubUsage();

}  // namespace dravel::hub
