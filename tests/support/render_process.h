// Runs a program under test through the shell and collects its standard
// output and exit status; Render runs dravel-render (DRAVEL_RENDER, set per
// test target).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace dravel {

struct Result {
  int status = -1;
  std::string out;
};

// Runs the shell `command`; the pipe gets its standard output.
inline Result RunCommand(const std::string& command) {
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int wait_status = pclose(pipe);
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  return result;
}

#ifdef DRAVEL_RENDER
// Runs dravel-render with `arguments` (shell words), its standard error dropped.
inline Result Render(const std::string& arguments) {
  return RunCommand(std::string(DRAVEL_RENDER) + " " + arguments + " 2>/dev/null");
}
#endif

}  // namespace dravel
