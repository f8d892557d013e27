#include "apps/dravel-hub/command/password_prompt.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace dravel::hub {
namespace {

std::optional<std::string> ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Echo stays off while the object lives, and comes back however it goes.
class HiddenInput {
 public:
  HiddenInput() : hidden_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!hidden_) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
  }
  HiddenInput(const HiddenInput&) = delete;
  HiddenInput& operator=(const HiddenInput&) = delete;
  ~HiddenInput() {
    if (hidden_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }

 private:
  termios saved_{};
  bool hidden_;
};

std::optional<std::string> Ask(const char* prompt) {
  std::fputs(prompt, stderr);
  std::fflush(stderr);
  std::optional<std::string> line;
  {
    HiddenInput hidden;
    line = ReadLine();
  }
  std::fputs("\n", stderr);
  return line;
}

}  // namespace

std::optional<std::string> ReadTeacherPassword(std::string& error) {
  if (!isatty(STDIN_FILENO)) {
    auto line = ReadLine();
    if (!line) error = "没有读到密码：标准输入的第一行应是教师密码";
    return line;
  }
  auto first = Ask("教师密码：");
  auto second = first ? Ask("再输入一次：") : std::nullopt;
  if (!first || !second) {
    error = "没有读到密码";
    return std::nullopt;
  }
  if (*first != *second) {
    error = "两次输入的密码不一样，没有建立";
    return std::nullopt;
  }
  return first;
}

}  // namespace dravel::hub
