// dravel-hub's command line as parsed, and the program run as a process:
// refusals with their exit status, and a server that says where it listens,
// answers there and stops cleanly on SIGTERM.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/dravel-hub/command/hub_command_line.h"
#include "apps/dravel-hub/hub.h"
#include "support/render_process.h"

namespace dravel::hub {
namespace {

namespace fs = std::filesystem;

std::optional<HubCommand> Parse(std::vector<std::string_view> arguments, std::string& error) {
  return ParseHubCommand(arguments, error);
}

TEST(HubCommandLine, RefusesWhatIsNotACommand) {
  struct Row {
    std::vector<std::string_view> arguments;
    const char* error_part;
  } rows[] = {
      {{}, "缺少命令"},
      {{"start"}, "未知的命令"},
      {{"serve"}, "--data"},
      {{"serve", "--data"}, "缺少 DIR"},
      {{"serve", "--data", "d", "--port", "65536"}, "--port"},
      {{"serve", "--data", "d", "--port", "-1"}, "--port"},
      {{"serve", "--data", "d", "--port", "80x"}, "--port"},
      {{"serve", "--data", "d", "--jobs", "0"}, "--jobs"},
      {{"serve", "--data", "d", "--connections-per-address", "0"}, "--connections-per-address"},
      {{"serve", "--data", "d", "--connections-per-address=4097"}, "--connections-per-address"},
      {{"serve", "--data", "d", "--tls-cert", "c.pem"}, "--tls-key"},
      {{"serve", "--data", "d", "--bogus"}, "未知的选项"},
      {{"init", "--data", "d", "--port", "80"}, "未知的选项"},
      {{"serve", "--data="}, "--data"},
  };
  for (const Row& row : rows) {
    std::string trace;
    for (auto argument : row.arguments) trace += std::string(argument) + " ";
    SCOPED_TRACE(trace);
    std::string error;
    EXPECT_FALSE(Parse(row.arguments, error));
    EXPECT_NE(error.find(row.error_part), std::string::npos) << error;
  }
}

TEST(HubCommandLine, TakesBothOptionForms) {
  std::string error;
  const auto command =
      Parse({"serve", "--data=class", "--port", "0", "--bind=127.0.0.1", "--jobs", "3",
             "--connections-per-address=4096"},
            error);
  ASSERT_TRUE(command) << error;
  EXPECT_EQ(command->kind, HubCommandKind::kServe);
  EXPECT_EQ(command->data, "class");
  EXPECT_EQ(command->port, 0);
  EXPECT_EQ(command->bind, "127.0.0.1");
  EXPECT_EQ(command->jobs, 3);
  EXPECT_EQ(command->connections_per_address, 4096u);
}

TEST(PasswordRefusal, CountsCharactersNotBytes) {
  struct Row {
    const char* password;
    bool refused;
  } rows[] = {
      {"1234567", true},           {"12345678", false},  {"", true},
      {"密码密码密码密", true},  // 7 characters, 21 bytes
      {"密码密码密码密码", false}, {"1234567\t8", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.password);
    EXPECT_EQ(!PasswordRefusal(row.password).empty(), row.refused);
  }
}

class DravelHubProgram : public testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::temp_directory_path() / ("dravel-hub-" + std::to_string(::getpid()));
    fs::remove_all(data_);
  }
  void TearDown() override { fs::remove_all(data_); }
  int Init() {
    return RunCommand("printf 'a-long-password\\n' | " DRAVEL_HUB " init --data " + data_.string() +
                      " >/dev/null 2>&1")
        .status;
  }
  fs::path data_;
};

TEST_F(DravelHubProgram, RefusesBadUsageAndShortPasswords) {
  struct Row {
    std::string command;
    int status;
  } rows[] = {
      {"printf 'short\\n' | " DRAVEL_HUB " init --data " + data_.string(), 1},
      {"printf '' | " DRAVEL_HUB " init --data " + data_.string(), 1},
      {DRAVEL_HUB " init", 2},
      {DRAVEL_HUB " serve --data " + data_.string() + " --port x", 2},
      {DRAVEL_HUB " serve --data " + data_.string() +
           " --bind 127.0.0.1 --port 0 --web /nonexistent",
       1},
      {DRAVEL_HUB " --help", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    EXPECT_EQ(RunCommand(row.command + " 2>/dev/null </dev/null").status, row.status);
  }
  EXPECT_FALSE(fs::exists(data_)) << "nothing made for a refused password";
}

// Starts `dravel-hub serve` on 127.0.0.1, port 0, reading its standard output.
struct ServeProcess {
  explicit ServeProcess(const fs::path& data) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string data_text = data.string();
    std::vector<const char*> argv = {DRAVEL_HUB,        "serve",  "--data",
                                     data_text.c_str(), "--bind", "127.0.0.1",
                                     "--port",          "0",      nullptr};
    if (posix_spawn(&pid, DRAVEL_HUB, &actions, nullptr, const_cast<char**>(argv.data()),
                    environ) != 0) {
      pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    out = fdopen(pipe_ends[0], "r");
  }
  ~ServeProcess() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out != nullptr) fclose(out);
  }
  std::string Line() {
    char line[512] = {};
    return fgets(line, sizeof line, out) != nullptr ? line : "";
  }
  int Stop(int signal) {
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid = -1;
  FILE* out = nullptr;
};

// Sends `request` to 127.0.0.1:`port` and returns what comes back until the
// server closes.
std::string AskLocal(int port, const std::string& request) {
  const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
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

// The port the hub says it listens on; 0 when its first line is not that.
int ListeningPort(ServeProcess& serve) {
  const std::string first = serve.Line();
  const std::string prefix = "listening 127.0.0.1:";
  if (!first.starts_with(prefix)) return 0;
  return std::stoi(first.substr(prefix.size()));
}

constexpr const char* kAskApi = "GET /api/x HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n";

TEST_F(DravelHubProgram, ServesWhereItSaysAndStopsCleanly) {
  ASSERT_EQ(Init(), 0);
  ServeProcess serve(data_);
  ASSERT_GT(serve.pid, 0);
  const int port = ListeningPort(serve);
  ASSERT_GT(port, 0);
  const std::string answer = AskLocal(port, kAskApi);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 ")) << answer;
  EXPECT_EQ(serve.Stop(SIGTERM), 0);
}

TEST_F(DravelHubProgram, ServesTheSameDataAgainAfterBeingKilled) {
  ASSERT_EQ(Init(), 0);
  for (int life = 0; life < 2; ++life) {
    SCOPED_TRACE(life);
    ServeProcess serve(data_);
    const int port = ListeningPort(serve);
    ASSERT_GT(port, 0);
    EXPECT_TRUE(AskLocal(port, kAskApi).starts_with("HTTP/1.1 "));
    EXPECT_EQ(serve.Stop(SIGKILL), -1);
  }
}

}  // namespace
}  // namespace dravel::hub
