// dravel-hub's command line as parsed, and the program run as a process:
// refusals with their exit status, and a server that says where it listens,
// answers there and stops cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/dravel-hub/command/hub_command_line.h"
#include "apps/dravel-hub/hub.h"
#include "hub_process.h"
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
      {{"serve", "--data", "d", "--timeout", "0"}, "--timeout"},
      {{"serve", "--data", "d", "--timeout", "1.5"}, "--timeout"},
      {{"serve", "--data", "d", "--tls-cert", "c.pem"}, "--tls-key"},
      {{"serve", "--data", "d", "--bogus"}, "未知的选项"},
      {{"init", "--data", "d", "--port", "80"}, "未知的选项"},
      {{"serve", "--data="}, "--data"},
      {{"serve", "--data", "d", "extra"}, "多余的参数"},
      {{"teacher"}, "teacher add"},
      {{"teacher", "remove", "--data", "d"}, "teacher add"},
      {{"teacher", "add", "--data", "d"}, "缺少老师的名字"},
      {{"teacher", "add", "--data", "d", "王", "李"}, "多余的参数：李"},
      {{"teacher", "list", "--data", "d", "王"}, "多余的参数"},
      {{"teacher", "add", "--admin=yes", "--data", "d", "王"}, "不带值"},
      {{"teacher", "add", "王"}, "--data"},
      {{"init", "--data", "d", "--admin"}, "未知的选项"},
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
  const auto command = Parse({"serve", "--data=class", "--port", "0", "--bind=127.0.0.1", "--jobs",
                              "3", "--timeout=4", "--connections-per-address=4096"},
                             error);
  ASSERT_TRUE(command) << error;
  EXPECT_EQ(command->kind, HubCommandKind::kServe);
  EXPECT_EQ(command->data, "class");
  EXPECT_EQ(command->port, 0);
  EXPECT_EQ(command->bind, "127.0.0.1");
  EXPECT_EQ(command->jobs, 3);
  EXPECT_EQ(command->grade_timeout_seconds, 4);
  EXPECT_EQ(command->connections_per_address, 4096u);
}

TEST(HubCommandLine, TakesATeachersNameAfterTheOptions) {
  std::string error;
  auto command = Parse({"teacher", "add", "--admin", "--data=class", "王老师"}, error);
  ASSERT_TRUE(command) << error;
  EXPECT_EQ(command->kind, HubCommandKind::kTeacherAdd);
  EXPECT_TRUE(command->admin);
  EXPECT_EQ(command->teacher_name, "王老师");
  command = Parse({"teacher", "add", "--data", "class", "--", "-李"}, error);
  ASSERT_TRUE(command) << error;
  EXPECT_FALSE(command->admin);
  EXPECT_EQ(command->teacher_name, "-李");
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

TEST_F(DravelHubProgram, AddsTeachersWithNamesOfTheirOwn) {
  const std::string add = "| " DRAVEL_HUB " teacher add --data " + data_.string() + " ";
  struct Row {
    std::string command;
    int status;
  } rows[] = {
      {"printf 'a-long-password\\n' " + add + "王老师", 1},  // no hub in the folder yet
      {"printf 'a-long-password\\n' " + add + "王老师", 0},
      {"printf 'another-password\\n' " + add + "' 王老师'", 1},
      {"printf 'a-long-password\\n' " + add + "--admin 教务处", 0},
      {"printf 'short\\n' " + add + "李老师", 1},
      {"printf 'a-long-password\\n' " + add + "''", 1},
      {"printf 'a-long-password\\n' " + add + "\"$(printf '李\\t')\"", 1},
      {"printf 'a-long-password\\n' " + add, 2},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].command);
    if (i == 1) {
      ASSERT_EQ(Init(), 0);
    }
    EXPECT_EQ(RunCommand(rows[i].command + " >/dev/null 2>&1").status, rows[i].status);
  }
  const auto listed = RunCommand(DRAVEL_HUB " teacher list --data " + data_.string());
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out,
            "1\t老师\t0 个班级\n2\t王老师\t0 个班级\n3\t教务处\t0 个班级\t学校管理员\n");
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
