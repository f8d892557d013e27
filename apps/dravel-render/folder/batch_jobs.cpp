#include "apps/dravel-render/folder/batch_jobs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

extern char** environ;

namespace dravel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct Running {
  pid_t pid;
  size_t index;
  Clock::time_point started;
  bool killed = false;
};

// Starts `job`; -1 when it cannot be started.
pid_t Spawn(const std::string& program, const ChildJob& job) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : job.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, job.error_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  return failed == 0 ? pid : -1;
}

// Whether `child` has ended; tells `ended` when it has.
bool Reaped(const Running& child, const ChildEnded& ended) {
  int status = 0;
  if (waitpid(child.pid, &status, WNOHANG) != child.pid) return false;
  const bool exited = WIFEXITED(status);
  ended(child.index, {exited, exited ? WEXITSTATUS(status) : WTERMSIG(status), child.killed});
  return true;
}

}  // namespace

void RunChildren(const std::string& program, const std::vector<ChildJob>& jobs, int at_once,
                 const ChildEnded& ended) {
  std::vector<Running> running;
  size_t next = 0;
  while (next < jobs.size() || !running.empty()) {
    while (running.size() < size_t(std::max(at_once, 1)) && next < jobs.size()) {
      const pid_t pid = Spawn(program, jobs[next]);
      if (pid < 0)
        ended(next, {true, 127, false});
      else
        running.push_back({pid, next, Clock::now()});
      ++next;
    }
    const auto gone = std::remove_if(running.begin(), running.end(),
                                     [&](const Running& child) { return Reaped(child, ended); });
    const bool any_ended = gone != running.end();
    running.erase(gone, running.end());
    for (Running& child : running) {
      if (!child.killed && Clock::now() - child.started > jobs[child.index].deadline) {
        kill(child.pid, SIGKILL);
        child.killed = true;
      }
    }
    if (!any_ended) std::this_thread::sleep_for(kPollInterval);
  }
}

std::string OwnProgram() { return std::filesystem::read_symlink("/proc/self/exe").native(); }

}  // namespace dravel
