#include "bench/process_probe.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

bool Executed(int pid, const std::string& program) {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
  return !error && std::filesystem::equivalent(exe, program, error);
}

}  // namespace

long StatusKb(int pid, const char* key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string word;
  while (status >> word) {
    if (word == key) {
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
  while (true) {
    const int waited = waitpid(pid, &status, sample_ms > 0 ? WNOHANG : 0);
    if (waited == pid) break;
    if (waited < 0) return result;
    const double at = std::chrono::duration<double>(Clock::now() - start).count();
    if (const long kb = StatusKb(pid, "VmRSS:"); kb > 0) result.rss_samples.emplace_back(at, kb);
    // Until exec the child is a copy of this process, with its high-water mark.
    if (Executed(pid, argv[0]))
      result.peak_rss_kb = std::max(result.peak_rss_kb, StatusKb(pid, "VmHWM:"));
    std::this_thread::sleep_for(std::chrono::milliseconds(sample_ms));
  }
  result.wall_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace dravel::bench
