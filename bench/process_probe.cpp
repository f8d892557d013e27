#include "bench/process_probe.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace dravel::bench {
namespace {

using Clock = std::chrono::steady_clock;

int Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const int pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

long ResidentKb(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, int sample_ms) {
  ProcessResult result;
  const Clock::time_point start = Clock::now();
  const int pid = Spawn(argv);
  if (pid < 0) return result;
  int status = 0;
  rusage usage{};
  while (true) {
    const int waited = wait4(pid, &status, sample_ms > 0 ? WNOHANG : 0, &usage);
    if (waited == pid) break;
    if (waited < 0) return result;
    const double at = std::chrono::duration<double>(Clock::now() - start).count();
    if (const long kb = ResidentKb(pid); kb > 0) result.rss_samples.emplace_back(at, kb);
    std::this_thread::sleep_for(std::chrono::milliseconds(sample_ms));
  }
  result.wall_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.peak_rss_kb = usage.ru_maxrss;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace dravel::bench
