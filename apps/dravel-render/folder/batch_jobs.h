// The folder mode's child processes, up to a number at a time: each is this
// program again with arguments of its own (passed as bytes, so any file name
// gets through), its standard output dropped and its standard error kept in
// a file; one that outlives its deadline is killed.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace dravel {

struct ChildJob {
  std::vector<std::string> arguments;  // after the program's name
  std::string error_file;              // its standard error
  std::chrono::milliseconds deadline;  // killed once it has run this long
};

struct ChildEnd {
  bool exited = false;  // ended by itself with `status`
  int status = -1;      // the exit status, or the signal that ended it
  bool killed = false;  // killed at its deadline
};

// Called on the calling thread as each job ends, with its index.
using ChildEnded = std::function<void(size_t, const ChildEnd&)>;

// Runs every job, at most `at_once` at the same time, and tells how each
// ended as it ends. A job that cannot be started ends as exited with status
// 127.
void RunChildren(const std::string& program, const std::vector<ChildJob>& jobs, int at_once,
                 const ChildEnded& ended);

// This program's own executable.
std::string OwnProgram();

}  // namespace dravel
