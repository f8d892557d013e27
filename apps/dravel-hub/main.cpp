// dravel-hub: the class hub a teacher starts on their own machine. `init`
// makes the class data folder with the teacher's password; `serve` serves
// the page, the teacher's pages and the API on the school's network until
// Ctrl+C or SIGTERM, then stops cleanly; `teacher add` and `teacher list`
// keep a school's teachers.
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-hub/command/hub_command_line.h"
#include "apps/dravel-hub/command/hub_folders.h"
#include "apps/dravel-hub/command/lan_addresses.h"
#include "apps/dravel-hub/command/password_prompt.h"
#include "apps/dravel-hub/grading/grade_child.h"
#include "apps/dravel-hub/grading/grade_script.h"
#include "apps/dravel-hub/grading/reference_pictures.h"
#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/server/hub_server.h"
#include "apps/dravel-hub/server/static_files.h"
#include "apps/dravel-hub/server/wall_hub.h"

namespace dravel::hub {
namespace {

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

void Say(const std::string& line) { std::cerr << "dravel-hub：" << line << std::endl; }

int RunInit(const HubCommand& command) {
  std::string error;
  const auto password = ReadTeacherPassword(error);
  if (!password) {
    Say(error);
    return kFailed;
  }
  if (const std::string refusal = PasswordRefusal(*password); !refusal.empty()) {
    Say(refusal);
    return kFailed;
  }
  if (const HubSetup setup = InitHub(command.data, *password); !setup.ok) {
    Say("没能建立班级数据：" + setup.message);
    return kFailed;
  }
  std::cout << "班级数据已建好：" << command.data.string() << "\n"
            << "下一步：dravel-hub serve --data " << command.data.string() << std::endl;
  return 0;
}

int RunTeacherAdd(const HubCommand& command) {
  // Said before the password is asked for, not after it was typed twice.
  if (const std::string refusal = TeacherNameRefusal(command.teacher_name); !refusal.empty()) {
    Say(refusal);
    return kFailed;
  }
  StoreOpening opening = OpenHubStore(command.data);
  if (!opening.store) {
    Say("打不开班级数据：" + opening.error);
    return kFailed;
  }
  std::string error;
  const auto password = ReadTeacherPassword(error);
  if (!password) {
    Say(error);
    return kFailed;
  }
  const HubSetup added =
      AddHubTeacher(*opening.store, command.teacher_name, *password, command.admin);
  if (!added.ok) {
    Say("没有添加老师：" + added.message);
    return kFailed;
  }
  std::cout << added.message << "：登录时在老师页面填写这个名字" << std::endl;
  return 0;
}

int RunTeacherList(const HubCommand& command) {
  StoreOpening opening = OpenHubStore(command.data);
  if (!opening.store) {
    Say("打不开班级数据：" + opening.error);
    return kFailed;
  }
  try {
    for (const TeacherRecord& teacher : opening.store->Teachers()) {
      std::cout << teacher.id << "\t" << teacher.name << "\t"
                << opening.store->TeacherClasses(teacher.id).size() << " 个班级"
                << (teacher.admin ? "\t学校管理员" : "") << "\n";
    }
  } catch (const StoreError& failure) {
    Say(std::string("无法读取数据库：") + failure.what());
    return kFailed;
  }
  std::cout << std::flush;
  return 0;
}

// The page's folder and the hub's pages, listed once; false after saying why.
bool LoadFiles(const HubCommand& command, StaticFiles& files) {
  std::filesystem::path web = command.web.empty() ? DefaultWebFolder() : command.web;
  if (web.empty()) {
    Say("找不到网页版 Dravel（先运行 scripts/build-web，或用 --web 指定文件夹）；学生页面暂不可用");
  }
  const std::filesystem::path pages = DefaultPagesFolder();
  if (pages.empty()) Say("找不到教师页面的文件夹；/teacher 暂不可用");
  std::string error;
  if (!files.Load(web, pages, error)) {
    Say("读不了网页文件：" + error);
    return false;
  }
  return true;
}

// Each connection holds a descriptor: raise the soft limit as far as allowed
// and keep the cap on connections, and the files around them, within it.
size_t ConnectionsAllowed(size_t wanted) {
  constexpr rlim_t kSpare = 64, kMost = 4096;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return std::min<size_t>(wanted, 256);
  const rlim_t raised = std::min(limit.rlim_max, kMost);
  if (raised > limit.rlim_cur) {
    limit.rlim_cur = raised;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) getrlimit(RLIMIT_NOFILE, &limit);
  }
  const rlim_t usable = limit.rlim_cur > 2 * kSpare ? limit.rlim_cur - kSpare : kSpare;
  return std::min<size_t>(wanted, usable);
}

void PrintAddresses(const HubCommand& command, uint16_t port) {
  const std::string scheme = command.tls_certificate.empty() ? "http://" : "https://";
  const std::string suffix = ":" + std::to_string(port);
  // The first line is for programs that start the hub.
  std::cout << "listening " << command.bind << suffix << "\n";
  std::vector<std::string> hosts = {command.bind};
  if (command.bind == "0.0.0.0") hosts = LanAddresses();
  if (hosts.empty()) hosts = {"127.0.0.1"};
  for (const std::string& host : hosts) {
    std::cout << "学生打开：" << scheme << host << suffix << "/\n";
  }
  std::cout << "教师打开：" << scheme << hosts.front() << suffix << "/teacher\n"
            << "按 Ctrl+C 停止。" << std::endl;
}

// The data folder's own folder for the graders' work, emptied of what a
// hub killed mid-grading left there; false after setting `error`.
bool FreshGradingFolder(const std::filesystem::path& data, std::filesystem::path& folder,
                        std::string& error) {
  folder = data / "grading";
  std::error_code failed;
  std::filesystem::remove_all(folder, failed);
  if (!failed) std::filesystem::create_directory(folder, failed);
  if (failed) error = folder.string() + "：" + failed.message();
  return !failed;
}

int RunServe(const HubCommand& command, const sigset_t& stop_signals) {
  StaticFiles files;
  if (!LoadFiles(command, files)) return kFailed;
  WallHub wall;
  GradeLimits limits;
  limits.timeout = std::chrono::seconds(command.grade_timeout_seconds);
  ReferencePictures kept;
  Hub::Opening opening = Hub::Open(
      command.data, command.jobs, wall,
      [&limits, &kept](std::string_view script, const std::vector<std::string>& references) {
        return GradeScript(script, references, limits, kept);
      });
  if (!opening.hub) {
    Say("打不开班级数据：" + opening.error);
    return kFailed;
  }
  Hub& hub = *opening.hub;
  std::string error;
  if (!FreshGradingFolder(command.data, limits.work_root, error)) {
    Say("没能准备批改用的文件夹：" + error);
    return kFailed;
  }
  hub.Start();
  ServerOptions options;
  options.bind_address = command.bind;
  options.port = command.port;
  options.tls_certificate = command.tls_certificate;
  options.tls_key = command.tls_key;
  options.connections = ConnectionsAllowed(options.connections);
  options.connections_per_address = command.connections_per_address;
  HubServer server(options, hub.Handler(), wall, files);
  if (!server.Start(error)) {
    Say("没能开始服务：" + error);
    hub.Stop();
    return kFailed;
  }
  PrintAddresses(command, server.Port());
  int received = 0;
  sigwait(&stop_signals, &received);
  server.Stop();
  hub.Stop();
  std::cout << "已停止。" << std::endl;
  return 0;
}

int Run(int argc, char** argv) {
  // Blocked before any thread starts, so every thread inherits the mask and
  // the main thread alone takes the stop in sigwait.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::string error;
  const auto command = ParseHubCommand(arguments, error);
  if (!command) {
    Say(error);
    return kBadUsage;
  }
  switch (command->kind) {
    case HubCommandKind::kHelp: std::cout << HubUsage(); return 0;
    case HubCommandKind::kInit: return RunInit(*command);
    case HubCommandKind::kServe: return RunServe(*command, stop_signals);
    case HubCommandKind::kTeacherAdd: return RunTeacherAdd(*command);
    case HubCommandKind::kTeacherList: return RunTeacherList(*command);
  }
  return kFailed;
}

}  // namespace
}  // namespace dravel::hub

int main(int argc, char** argv) {
  // A hand-in runs in a child of this program, which must not start the hub.
  if (argc > 1 && std::string_view(argv[1]) == dravel::hub::kGradeChildFlag) {
    return dravel::hub::RunGradeChild(argc, argv);
  }
  return dravel::hub::Run(argc, argv);
}
