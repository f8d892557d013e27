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

std::filesystem::path HubDatabasePath(const std::filesystem::path& data_dir) {
  return data_dir / "hub.sqlite";
}

std::string PasswordRefusal(std::string_view password) {
  if (CharacterCount(password) < kShortestPassword) {
    return "密码太短：至少要 " + std::to_string(kShortestPassword) + " 个字符";
  }
  const bool control = std::any_of(password.begin(), password.end(),
                                   [](unsigned char c) { return c < 0x20 || c == 0x7F; });
  return control ? "密码里不能有控制字符" : "";
}

HubSetup InitHub(const std::filesystem::path& data_dir, std::string_view password) {
  if (std::string refusal = PasswordRefusal(password); !refusal.empty()) return {false, refusal};
  const std::filesystem::path database = HubDatabasePath(data_dir);
  std::error_code error;
  if (std::filesystem::exists(database, error)) {
    return {false, "文件夹 " + data_dir.string() + " 里已经有班级中心，未做任何改动"};
  }
  const std::string hash = HashPassword(password);
  if (hash.empty()) return {false, "内存不足，无法保存密码"};
  std::filesystem::create_directories(data_dir, error);
  if (error) return {false, "无法创建文件夹 " + data_dir.string() + "：" + error.message()};
  std::filesystem::permissions(data_dir, std::filesystem::perms::owner_all, error);
  StoreOpening opening = SqliteStore::Open(database.string());
  if (!opening.store) return {false, opening.error};
  try {
    opening.store->AddTeacher(kFirstTeacherName, hash);
  } catch (const StoreError& failure) {
    return {false, std::string("无法保存老师的账号：") + failure.what()};
  }
  return {true, "已在 " + data_dir.string() + " 建好班级中心"};
}

Hub::Opening Hub::Open(const std::filesystem::path& data_dir, int jobs, WallFeed& wall,
                       Grader grader) {
  if (jobs < 1) return {nullptr, "评分进程数至少为 1"};
  const std::filesystem::path database = HubDatabasePath(data_dir);
  std::error_code error;
  if (!std::filesystem::exists(database, error)) {
    return {nullptr, "文件夹 " + data_dir.string() + " 里还没有班级中心，请先初始化"};
  }
  StoreOpening opening = SqliteStore::Open(database.string());
  if (!opening.store) return {nullptr, opening.error};
  try {
    opening.store->RequeueUnfinished();
  } catch (const StoreError& failure) {
    return {nullptr, std::string("无法读取数据库：") + failure.what()};
  }
  return {std::unique_ptr<Hub>(new Hub(std::move(opening.store), jobs, wall, std::move(grader))),
          ""};
}

Hub::Hub(std::unique_ptr<SqliteStore> store, int jobs, WallFeed& wall, Grader grader)
    : store_(std::move(store)),
      queue_(*store_, wall, std::move(grader), jobs),
      api_(*store_, wall, [this] { queue_.Wake(); }) {}

Hub::~Hub() { Stop(); }

}  // namespace dravel::hub
