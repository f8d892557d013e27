#include "apps/dravel-hub/hub.h"

#include <algorithm>
#include <system_error>

#include "apps/dravel-hub/security/hub_secrets.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kFirstTeacherName = "老师";

size_t CharacterCount(std::string_view utf8) {
  // Every character has one byte that is not a continuation byte.
  return std::count_if(utf8.begin(), utf8.end(),
                       [](unsigned char c) { return (c & 0xC0) != 0x80; });
}

}  // namespace

std::string PasswordRefusal(std::string_view password) {
  if (CharacterCount(password) < kShortestPassword) {
    return "密码太短：至少要 " + std::to_string(kShortestPassword) + " 个字符";
  }
  const bool control = std::any_of(password.begin(), password.end(),
                                   [](unsigned char c) { return c < 0x20 || c == 0x7F; });
  return control ? "密码里不能有控制字符" : "";
}

HubSetup InitHub(const std::string& location, std::string_view password) {
  if (std::string refusal = PasswordRefusal(password); !refusal.empty()) return {false, refusal};
  const bool server = IsDatabaseUrl(location);
  const std::string where =
      server ? "数据库 " + UrlWithoutPassword(location) : "文件夹 " + location;
  std::error_code error;
  if (!server && std::filesystem::exists(HubDatabasePath(location), error)) {
    return {false, where + " 里已经有班级中心，未做任何改动"};
  }
  const std::string hash = HashPassword(password);
  if (hash.empty()) return {false, "内存不足，无法保存密码"};
  if (!server) {
    std::filesystem::create_directories(location, error);
    if (error) return {false, "无法创建文件夹 " + location + "：" + error.message()};
    std::filesystem::permissions(location, std::filesystem::perms::owner_all, error);
  }
  OpenedStore opened = OpenStore(location);
  if (!opened.store) return {false, opened.error};
  try {
    // Teachers' names are unique, so of two inits at once one is refused.
    if (!opened.store->Teachers().empty() ||
        !opened.store->AddTeacher(kFirstTeacherName, hash, true)) {
      return {false, where + " 里已经有班级中心，未做任何改动"};
    }
  } catch (const StoreError& failure) {
    return {false, std::string("无法保存老师的账号：") + failure.what()};
  }
  return {true, "已在 " + where + " 建好班级中心"};
}

Hub::Opening Hub::Open(const std::string& location, int jobs, WallFeed& wall, Grader grader) {
  if (jobs < 1) return {nullptr, "评分进程数至少为 1"};
  std::error_code error;
  if (!IsDatabaseUrl(location) && !std::filesystem::exists(HubDatabasePath(location), error)) {
    return {nullptr, "文件夹 " + location + " 里还没有班级中心，请先初始化"};
  }
  OpenedStore opened = OpenStore(location);
  if (!opened.store) return {nullptr, opened.error};
  try {
    if (opened.store->Teachers().empty()) {
      return {nullptr, "数据库 " + UrlWithoutPassword(location) + " 里还没有班级中心，请先初始化"};
    }
    // One process per data folder: whatever it left grading, it left.
    if (!opened.shared) opened.store->RequeueUnfinished();
  } catch (const StoreError& failure) {
    return {nullptr, std::string("无法读取数据库：") + failure.what()};
  }
  return {std::unique_ptr<Hub>(new Hub(std::move(opened), jobs, wall, std::move(grader))), ""};
}

Hub::Hub(OpenedStore opened, int jobs, WallFeed& wall, Grader grader)
    : store_(std::move(opened.store)),
      queue_(*store_, wall, std::move(grader), jobs,
             opened.shared ? GradingQueue::kSharedPoll : GradingQueue::kOwnPoll),
      api_(*store_, wall, [this] { queue_.Wake(); }) {}

Hub::~Hub() { Stop(); }

}  // namespace dravel::hub
