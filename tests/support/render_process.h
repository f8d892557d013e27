// Runs the dravel-render executable under test (DRAVEL_RENDER, set per test
// target) and collects its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace dravel {

struct Result {
  int status = -1;
  std::string out;
};

// Runs dravel-render with `arguments` (shell words), its standard error dropped.
inline Result Render(const std::string& arguments) {
  const std::string command = std::string(DRAVEL_RENDER) + " " + arguments + " 2>/dev/null";
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int wait_status = pclose(pipe);
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  return result;
}

}  // namespace dravel
