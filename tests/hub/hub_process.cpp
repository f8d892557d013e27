#include "hub_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

namespace dravel::hub {

ServeProcess::ServeProcess(const std::filesystem::path& data, std::vector<std::string> extra)
    : ServeProcess({"--data", data.string()}, std::move(extra)) {}

ServeProcess::ServeProcess(std::vector<std::string> store, std::vector<std::string> extra) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> arguments = {DRAVEL_HUB, "serve"};
  arguments.insert(arguments.end(), store.begin(), store.end());
  arguments.insert(arguments.end(), {"--bind", "127.0.0.1", "--port", "0"});
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid, DRAVEL_HUB, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  out = fdopen(pipe_ends[0], "r");
}

ServeProcess::~ServeProcess() {
  if (pid > 0) Stop(SIGKILL);
  if (out != nullptr) fclose(out);
}

std::string ServeProcess::Line() {
  char line[512] = {};
  return fgets(line, sizeof line, out) != nullptr ? line : "";
}

int ServeProcess::Stop(int signal) {
  kill(pid, signal);
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ListeningPort(ServeProcess& serve) {
  const std::string first = serve.Line();
  const std::string prefix = "listening 127.0.0.1:";
  if (!first.starts_with(prefix)) return 0;
  return std::stoi(first.substr(prefix.size()));
}

std::string AskLocal(int port, const std::string& request) {
  const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
  // Far longer than any answer takes; only a hung hub meets it.
  const timeval limit{60, 0};
  setsockopt(socket_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      write(socket_fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    for (ssize_t n; (n = read(socket_fd, buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  }
  close(socket_fd);
  return answer;
}

HttpAnswer CallLocal(int port, const std::string& method, const std::string& target,
                     const std::string& body, const std::string& cookie) {
  std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                        "Connection: close\r\nContent-Type: application/json\r\n" +
                        "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
  const std::string raw = AskLocal(port, request + "\r\n" + body);
  HttpAnswer answer;
  const size_t head_end = raw.find("\r\n\r\n");
  if (!raw.starts_with("HTTP/1.1 ") || head_end == std::string::npos) return answer;
  answer.status = std::stoi(raw.substr(9, 3));
  answer.body = raw.substr(head_end + 4);
  const std::string head = raw.substr(0, head_end);
  const size_t cookie_at = head.find("Set-Cookie: ");
  if (cookie_at != std::string::npos) {
    const size_t start = cookie_at + 12;
    answer.set_cookie = head.substr(start, head.find_first_of(";\r", start) - start);
  }
  return answer;
}

}  // namespace dravel::hub
