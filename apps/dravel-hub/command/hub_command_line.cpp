#include "apps/dravel-hub/command/hub_command_line.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace dravel::hub {
namespace {

enum Commands : uint8_t { kInit = 1, kServe = 2 };

struct OptionRow {
  std::string_view name;
  std::string_view value;
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
    OptionRow{"--data", "DIR", kInit | kServe, "班级数据所在的文件夹（必需）",
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
    OptionRow{"--trusted-proxy", "ADDRESS", kServe,
              "反向代理的 IP 地址：只有来自它的请求才按 X-Forwarded-For 认学生的地址",
              [](std::string_view v, HubCommand& c) {
                c.trusted_proxy = std::string(v);
                return !v.empty();
              }},
    OptionRow{"--tls-cert", "FILE", kServe, "HTTPS 证书（PEM），与 --tls-key 一起用",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.tls_certificate); }},
    OptionRow{"--tls-key", "FILE", kServe, "HTTPS 私钥（PEM）",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.tls_key); }},
    OptionRow{"--web", "DIR", kServe, "网页版 Dravel 的文件夹，默认为安装或构建的网页",
              [](std::string_view v, HubCommand& c) { return SetPath(v, c.web); }},
};

const OptionRow* FindOption(std::string_view name, uint8_t command) {
  for (const OptionRow& row : kOptions) {
    if (row.name == name && (row.commands & command)) return &row;
  }
  return nullptr;
}

// Takes "--name value" and "--name=value".
bool ApplyOptions(std::span<const std::string_view> arguments, uint8_t command, HubCommand& parsed,
                  std::string& error) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
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
    if (!value) {
      if (i + 1 == arguments.size()) {
        error = std::string(name) + " 后面缺少 " + std::string(row->value);
        return false;
      }
      value = arguments[++i];
    }
    if (!row->apply(*value, parsed)) {
      error = std::string(name) + " 的值不对：" + std::string(*value);
      return false;
    }
  }
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
  uint8_t command = 0;
  if (word == "init") {
    command = kInit;
    parsed.kind = HubCommandKind::kInit;
  } else if (word == "serve") {
    command = kServe;
    parsed.kind = HubCommandKind::kServe;
  } else {
    error = "未知的命令：" + std::string(word) + "（应为 init 或 serve）";
    return std::nullopt;
  }
  const auto rest = arguments.subspan(1);
  for (std::string_view argument : rest) {
    if (argument == "--help" || argument == "-h") return HubCommand{};
  }
  if (!ApplyOptions(rest, command, parsed, error)) return std::nullopt;
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
