// Runs a program as a child process and measures it from outside: wall time,
// peak resident memory, and (when sampling) its resident memory over time.
#pragma once

#include <string>
#include <vector>

namespace dravel::bench {

struct ProcessResult {
  double wall_seconds = 0;
  // The highest VmHWM read while sampling; 0 without sampling. (wait4's
  // ru_maxrss would count the pages the child had between fork and exec,
  // that is the measuring process's own.)
  long peak_rss_kb = 0;
  int exit_status = -1;
  // (seconds since start, resident kB) every `sample_ms`, when asked for.
  std::vector<std::pair<double, long>> rss_samples;
};

// Runs `argv` (argv[0] is the program's path) with its output discarded.
// With `sample_ms` > 0 it reads /proc/<pid>/status that often while waiting.
ProcessResult RunProcess(const std::vector<std::string>& argv, int sample_ms = 0);

// A kB figure of /proc/<pid>/status (such as "VmRSS:"), or 0 when it is gone.
long StatusKb(int pid, const char* key);

}  // namespace dravel::bench
