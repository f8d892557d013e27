// dravel-hub: the class hub a teacher starts on their own machine, or a
// school's or district's hub processes sharing one PostgreSQL database.
// `init` makes the class data (a folder, or --database) with the teacher's
// password; `serve` serves the page, the teacher's pages and the API on the
// school's network until Ctrl+C or SIGTERM, then stops cleanly; `teacher
// add` and `teacher list` keep a school's teachers.
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
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
#include "apps/dravel-hub/wall_relay/pg_wall_relay.h"

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
  if (const HubSetup setup = InitHub(command.Location(), *password); !setup.ok) {
    Say("没能建立班级数据：" + setup.message);
    return kFailed;
  }
  const std::string where = command.database.empty()
                                ? "--data " + command.data.string()
                                : "--database " + UrlWithoutPassword(command.database);
  std::cout << "班级数据已建好：" << where << "\n"
            << "下一步：dravel-hub serve " << where << std::endl;
  return 0;
}

int RunTeacherAdd(const HubCommand& command) {
  // Said before the password is asked for, not after it was typed twice.
  if (const std::string refusal = TeacherNameRefusal(command.teacher_name); !refusal.empty()) {
    Say(refusal);
    return kFailed;
  }
  OpenedStore opening = OpenHubStore(command.Location());
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
  OpenedStore opening = OpenHubStore(command.Location());
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

// Where the graders work: the data folder's grading/, emptied of what a
// hub killed mid-grading left there, or without a data folder a private
// temporary folder, removed when the hub stops.
class GradingFolder {
 public:
  GradingFolder() = default;
  GradingFolder(const GradingFolder&) = delete;
  GradingFolder& operator=(const GradingFolder&) = delete;
  ~GradingFolder() {
    std::error_code ignored;
    if (temporary_) std::filesystem::remove_all(path_, ignored);
  }

  // False after setting `error`.
  bool Make(const std::filesystem::path& data, std::string& error) {
    std::error_code failed;
    if (data.empty()) {
      std::string name = (std::filesystem::temp_directory_path(failed) / "dravel-hub-XXXXXX");
      temporary_ = !failed && mkdtemp(name.data()) != nullptr;
      path_ = name;
      if (!temporary_) error = name + "：" + std::strerror(errno);
      return temporary_;
    }
    path_ = data / "grading";
    std::filesystem::remove_all(path_, failed);
    if (!failed) std::filesystem::create_directories(path_, failed);
    if (failed) error = path_.string() + "：" + failed.message();
    return !failed;
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool temporary_ = false;
};

int RunServe(const HubCommand& command, const sigset_t& stop_signals) {
  StaticFiles files;
  if (!LoadFiles(command, files)) return kFailed;
  WallHub wall;
  // On a shared database the wall goes through it, so a grading on any
  // process reaches the viewers of every process; after a gap in the relay
  // the walls are closed and reconnect, reloading what they missed.
  std::unique_ptr<PgWallRelay> relay =
      command.database.empty()
          ? nullptr
          : std::make_unique<PgWallRelay>(command.database, wall, RelayTiming{},
                                          [&wall] { wall.CloseAll(); });
  WallFeed& feed = relay ? static_cast<WallFeed&>(*relay) : wall;
  GradeLimits limits;
  limits.timeout = std::chrono::seconds(command.grade_timeout_seconds);
  ReferencePictures kept;
  Hub::Opening opening = Hub::Open(
      command.Location(), command.jobs, feed,
      [&limits, &kept](std::string_view script, const std::vector<std::string>& references) {
        return GradeScript(script, references, limits, kept);
      });
  if (!opening.hub) {
    Say("打不开班级数据：" + opening.error);
    return kFailed;
  }
  Hub& hub = *opening.hub;
  std::string error;
  GradingFolder grading;
  if (!grading.Make(command.data, error)) {
    Say("没能准备批改用的文件夹：" + error);
    return kFailed;
  }
  limits.work_root = grading.Path();
  if (relay) {
    if (!relay->Start(error)) {
      Say("没能连接班级墙的转发：" + error);
      return kFailed;
    }
    if (!relay->AwaitConnections(1, std::chrono::seconds(5))) {
      Say("班级墙的转发还没连上数据库，连上后会自动开始。");
    }
  }
  hub.Start();
  ServerOptions options;
  options.bind_address = command.bind;
  options.port = command.port;
  options.tls_certificate = command.tls_certificate;
  options.tls_key = command.tls_key;
  options.connections = ConnectionsAllowed(options.connections);
  options.connections_per_address = command.connections_per_address;
  options.trusted_proxy = command.trusted_proxy;
  HubServer server(options, hub.Handler(), wall, files);
  if (!server.Start(error)) {
    Say("没能开始服务：" + error);
    hub.Stop();
    if (relay) relay->Stop();
    return kFailed;
  }
  PrintAddresses(command, server.Port());
  int received = 0;
  sigwait(&stop_signals, &received);
  server.Stop();
  hub.Stop();
  if (relay) relay->Stop();
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
