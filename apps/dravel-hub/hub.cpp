#include "apps/dravel-hub/hub.h"

#include <algorithm>
#include <system_error>

#include "apps/dravel-hub/security/hub_secrets.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kFirstTeacherName = "老师";
constexpr size_t kLongestTeacherName = 120;  // bytes: 40 Chinese characters

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool IsUtf8(std::string_view text) {
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
  // LooksLikeUtf8 takes a byte order mark's word for the rest.
  return ascii || (LooksLikeUtf8(text) && WithoutByteOrderMark(text) == text);
}

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
  const bool control = std::any_of(password.begin(), password.end(), IsControl);
  return control ? "密码里不能有控制字符" : "";
}

std::string_view TeacherName(std::string_view typed) {
  const size_t first = typed.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return typed.substr(first, typed.find_last_not_of(' ') - first + 1);
}

std::string TeacherNameRefusal(std::string_view name) {
  name = TeacherName(name);
  if (name.empty()) return "老师的名字不能是空的";
  if (name.size() > kLongestTeacherName) return "老师的名字太长：最多 40 个字";
  if (!IsUtf8(name)) return "老师的名字应为 UTF-8 文字";
  if (std::any_of(name.begin(), name.end(), IsControl)) return "老师的名字里不能有控制字符";
  return "";
}

HubSetup AddHubTeacher(HubStore& store, std::string_view name, std::string_view password,
                       bool admin) {
  if (std::string refusal = TeacherNameRefusal(name); !refusal.empty()) return {false, refusal};
  if (std::string refusal = PasswordRefusal(password); !refusal.empty()) return {false, refusal};
  const std::string hash = HashPassword(password);
  if (hash.empty()) return {false, "内存不足，无法保存密码"};
  name = TeacherName(name);
  try {
    if (!store.AddTeacher(name, hash, admin)) {
      return {false, "已经有名为“" + std::string(name) + "”的老师，未做任何改动"};
    }
  } catch (const StoreError& failure) {
    return {false, std::string("无法保存老师的账号：") + failure.what()};
  }
  return {true, std::string(admin ? "已添加学校管理员“" : "已添加老师“") + std::string(name) + "”"};
}

StoreOpening OpenHubStore(const std::filesystem::path& data_dir) {
  const std::filesystem::path database = HubDatabasePath(data_dir);
  std::error_code error;
  if (!std::filesystem::exists(database, error)) {
    return {nullptr, "文件夹 " + data_dir.string() + " 里还没有班级中心，请先初始化"};
  }
  return SqliteStore::Open(database.string());
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
    opening.store->AddTeacher(kFirstTeacherName, hash, false);
  } catch (const StoreError& failure) {
    return {false, std::string("无法保存老师的账号：") + failure.what()};
  }
  return {true, "已在 " + data_dir.string() + " 建好班级中心"};
}

Hub::Opening Hub::Open(const std::filesystem::path& data_dir, int jobs, WallFeed& wall,
                       Grader grader) {
  if (jobs < 1) return {nullptr, "评分进程数至少为 1"};
  StoreOpening opening = OpenHubStore(data_dir);
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
