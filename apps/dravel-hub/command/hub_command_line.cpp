#include "apps/dravel-hub/command/hub_command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace dravel::hub {
namespace {

enum Commands : uint8_t { kInit = 1, kServe = 2, kTeacherAdd = 4, kTeacherList = 8 };

struct OptionRow {
  std::string_view name;
  std::string_view value;  // "" for a flag, which takes none
  uint8_t commands;
  std::string_view help;
  // Sets the option; false when `value` is not one it takes.
  bool (*apply)(std::string_view value, HubCommand& command);
};

template <class Number>
bool ParseNumber(std::string_view text, Number low, Number high, Number& number) {
  Number parsed{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < low || parsed > high) return false;
  number = parsed;
  return true;
}

bool SetPath(std::string_view value, std::filesystem::path& path) {
  if (value.empty()) return false;
  path = std::filesystem::path(std::string(value));
  return true;
}

constexpr std::array kOptions = {
    OptionRow{"--data", "DIR", kInit | kServe | kTeacherAdd | kTeacherList,
              "班级数据所在的文件夹（必需）",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.data); }},
    OptionRow{"--port", "N", kServe, "端口，默认 8080；0 表示任选一个空闲端口",
              [](std::string_view v, HubCommand& c) {
                return ParseNumber<uint16_t>(v, 0, 65535, c.port);
              }},
    OptionRow{"--bind", "ADDRESS", kServe, "监听的 IP 地址，默认 0.0.0.0（本机所有地址）",
              [](std::string_view v, HubCommand& c) {
                c.bind = std::string(v);
                return !v.empty();
              }},
    OptionRow{"--jobs", "N", kServe, "同时批改的作业数，默认 2",
              [](std::string_view v, HubCommand& c) { return ParseNumber(v, 1, 64, c.jobs); }},
    OptionRow{"--timeout", "SECONDS", kServe, "批改时每次运行的时间限制（秒），默认 10",
              [](std::string_view v, HubCommand& c) {
                return ParseNumber(v, 1, 3600, c.grade_timeout_seconds);
              }},
    OptionRow{"--connections-per-address", "N", kServe,
              "每个 IP 地址最多同时占用的连接数，默认 512；全校共用一个出口地址时调大",
              [](std::string_view v, HubCommand& c) {
                return ParseNumber<size_t>(v, 1, 4096, c.connections_per_address);
              }},
    OptionRow{"--tls-cert", "FILE", kServe, "HTTPS 证书（PEM），与 --tls-key 一起用",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.tls_certificate); }},
    OptionRow{"--tls-key", "FILE", kServe, "HTTPS 私钥（PEM）",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.tls_key); }},
    OptionRow{"--web", "DIR", kServe, "网页版 Dravel 的文件夹，默认为安装或构建的网页",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.web); }},
    OptionRow{"--admin", "", kTeacherAdd, "（teacher add）设为学校管理员：可查看所有老师、转交班级",
              [](std::string_view, HubCommand& c) {
                c.admin = true;
                return true;
              }},
};

// The commands of one or two words: what each is and its bit in the options' rows.
struct CommandRow {
  std::string_view first, second;
  HubCommandKind kind;
  uint8_t bit;
};

constexpr CommandRow kCommands[] = {
    {"init", "", HubCommandKind::kInit, kInit},
    {"serve", "", HubCommandKind::kServe, kServe},
    {"teacher", "add", HubCommandKind::kTeacherAdd, kTeacherAdd},
    {"teacher", "list", HubCommandKind::kTeacherList, kTeacherList},
};

// The command `arguments` start with; its words taken off the front.
const CommandRow* FindCommand(std::span<const std::string_view>& arguments) {
  for (const CommandRow& row : kCommands) {
    if (arguments[0] != row.first) continue;
    if (row.second.empty()) {
      arguments = arguments.subspan(1);
      return &row;
    }
    if (arguments.size() > 1 && arguments[1] == row.second) {
      arguments = arguments.subspan(2);
      return &row;
    }
  }
  return nullptr;
}

const OptionRow* FindOption(std::string_view name, uint8_t command) {
  for (const OptionRow& row : kOptions) {
    if (row.name == name && (row.commands & command)) return &row;
  }
  return nullptr;
}

// Takes "--name value" and "--name=value", and a flag alone; words that are
// no option (all after "--") go to `words`.
bool ApplyOptions(std::span<const std::string_view> arguments, uint8_t command, HubCommand& parsed,
                  std::vector<std::string_view>& words, std::string& error) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    if (name == "--") {
      words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                   arguments.end());
      return true;
    }
    if (!name.starts_with("-")) {
      words.push_back(name);
      continue;
    }
    std::optional<std::string_view> value;
    if (const size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const OptionRow* row = FindOption(name, command);
    if (row == nullptr) {
      error = "未知的选项：" + std::string(arguments[i]);
      return false;
    }
    if (row->value.empty() && value) {
      error = std::string(name) + " 后面不带值";
      return false;
    }
    if (!value && !row->value.empty()) {
      if (i + 1 == arguments.size()) {
        error = std::string(name) + " 后面缺少 " + std::string(row->value);
        return false;
      }
      value = arguments[++i];
    }
    if (!row->apply(value.value_or(""), parsed)) {
      error = std::string(name) + " 的值不对：" + std::string(value.value_or(""));
      return false;
    }
  }
  return true;
}

// The words after the options: a teacher's name for teacher add, nothing
// for the rest; false after setting `error`.
bool TakeWords(const std::vector<std::string_view>& words, HubCommand& parsed, std::string& error) {
  const size_t wanted = parsed.kind == HubCommandKind::kTeacherAdd ? 1 : 0;
  if (words.size() > wanted) {
    error = "多余的参数：" + std::string(words[wanted]);
    return false;
  }
  if (words.size() < wanted) {
    error = "缺少老师的名字：dravel-hub teacher add --data DIR 名字";
    return false;
  }
  if (wanted == 1) parsed.teacher_name = std::string(words[0]);
  return true;
}

}  // namespace

std::optional<HubCommand> ParseHubCommand(std::span<const std::string_view> arguments,
                                          std::string& error) {
  if (arguments.empty()) {
    error = "缺少命令：init 或 serve（dravel-hub --help 查看用法）";
    return std::nullopt;
  }
  HubCommand parsed;
  const std::string_view word = arguments[0];
  if (word == "--help" || word == "-h" || word == "help") return parsed;
  std::span<const std::string_view> rest = arguments;
  const CommandRow* command = FindCommand(rest);
  if (command == nullptr) {
    error = "未知的命令：" + std::string(word) +
            (word == "teacher" ? "（应为 teacher add 或 teacher list）" : "（应为 init 或 serve）");
    return std::nullopt;
  }
  parsed.kind = command->kind;
  for (std::string_view argument : rest) {
    if (argument == "--help" || argument == "-h") return HubCommand{};
  }
  std::vector<std::string_view> words;
  if (!ApplyOptions(rest, command->bit, parsed, words, error)) return std::nullopt;
  if (!TakeWords(words, parsed, error)) return std::nullopt;
  if (parsed.data.empty()) {
    error = "缺少 --data DIR：班级数据所在的文件夹";
    return std::nullopt;
  }
  if (parsed.tls_certificate.empty() != parsed.tls_key.empty()) {
    error = "--tls-cert 和 --tls-key 要一起给出";
    return std::nullopt;
  }
  return parsed;
}

std::string HubUsage() {
  std::string usage =
      "用法：\n"
      "  dravel-hub init --data DIR     建立班级数据，从标准输入读教师密码（至少 8 个字符）\n"
      "  dravel-hub serve --data DIR [选项]   开始收作业，按 Ctrl+C 停止\n"
      "  dravel-hub teacher add [--admin] --data DIR 名字\n"
      "                                 添加一位老师，从标准输入读其密码；名字不能与别的老师相同\n"
      "  dravel-hub teacher list --data DIR   列出所有老师\n"
      "\n选项：\n";
  const auto left_of = [](const OptionRow& row) {
    return "  " + std::string(row.name) + " " + std::string(row.value);
  };
  size_t width = 0;
  for (const OptionRow& row : kOptions) width = std::max(width, left_of(row).size() + 2);
  for (const OptionRow& row : kOptions) {
    std::string left = left_of(row);
    left.resize(width, ' ');
    usage += left + std::string(row.help) + "\n";
  }
  return usage;
}

}  // namespace dravel::hub
