#include "hub_test_fixture.h"

#include <unistd.h>

#include <atomic>
#include <chrono>

#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/security/hub_secrets.h"

namespace dravel::hub::testing {

TempFolder::TempFolder() {
  static std::atomic<int> count = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("dravel-hub-test-" + std::to_string(getpid()) + "-" + std::to_string(count++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void RecordingWall::Publish(int64_t, std::string message) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(Json::parse(message));
  }
  published_.notify_all();
}

std::vector<Json> RecordingWall::WaitFor(size_t count) {
  std::unique_lock lock(mutex_);
  // The bound only keeps a broken build from hanging the suite.
  published_.wait_for(lock, std::chrono::minutes(1), [&] { return messages_.size() >= count; });
  return messages_;
}

GradeOutcome FakeGrade(std::string_view gbk_script, const std::vector<std::string>&) {
  GradeOutcome outcome;
  outcome.state = HandinState::kGraded;
  outcome.score = 80;
  outcome.last_message = "完成";
  outcome.picture_png = "png:" + std::string(gbk_script);
  outcome.overlay_png = "overlay";
  return outcome;
}

namespace {

std::unique_ptr<SqliteStore> NewStore(const std::filesystem::path& folder) {
  StoreOpening opening = SqliteStore::Open(HubDatabasePath(folder).string());
  EXPECT_TRUE(opening.store) << opening.error;
  opening.store->AddTeacher("老师", HashPassword(kTeacherPassword), false);
  return std::move(opening.store);
}

}  // namespace

HubApiTest::HubApiTest()
    : store_(NewStore(folder_.Path())), api_(*store_, wall_, [this] { ++wakes_; }) {}

HubReply HubApiTest::Call(const std::string& method, const std::string& target,
                          const std::string& body, const std::string& cookie) {
  HubRequest request;
  request.method = method;
  request.target = target;
  request.cookie = cookie;
  request.host = kHost;
  request.origin = std::string("http://") + kHost;
  request.body = body;
  request.remote_address = "10.0.0.7";
  return api_.Handle(request);
}

Json HubApiTest::CallJson(const std::string& method, const std::string& target, const Json& body,
                          const std::string& cookie, int expected_status) {
  const HubReply reply = Call(method, target, body.is_null() ? "" : body.dump(), cookie);
  EXPECT_EQ(reply.status, expected_status) << method << " " << target << ": " << reply.body;
  return Json::parse(reply.body, nullptr, false);
}

std::string HubApiTest::SetCookieHeader(const HubReply& reply) {
  for (const auto& [name, value] : reply.headers) {
    if (name == "Set-Cookie") return value;
  }
  return "";
}

std::string HubApiTest::CookieOf(const HubReply& reply) {
  const std::string header = SetCookieHeader(reply);
  return header.substr(0, header.find(';'));
}

std::string HubApiTest::TeacherCookie() {
  return CookieOf(Call("POST", "/api/teacher/login", Json{{"password", kTeacherPassword}}.dump()));
}

std::string HubApiTest::OtherTeacherCookie(const std::string& name, bool admin) {
  const std::string password = name + " password";
  EXPECT_TRUE(store_->AddTeacher(name, HashPassword(password), admin));
  return CookieOf(
      Call("POST", "/api/teacher/login", Json{{"name", name}, {"password", password}}.dump()));
}

int64_t HubApiTest::ClassWithPupils(const std::string& teacher_cookie) {
  const int64_t id =
      CallJson("POST", "/api/classes", {{"name", "三年级二班"}}, teacher_cookie, 201)["id"];
  const HubReply roster = Call("POST", "/api/classes/" + std::to_string(id) + "/roster",
                               "学号,姓名\n001,张三\n002,李四\n", teacher_cookie);
  EXPECT_EQ(roster.status, 200) << roster.body;
  return id;
}

std::string HubApiTest::PupilCookie(int64_t class_id, const std::string& number) {
  const std::optional<ClassRecord> group = store_->FindClass(class_id);
  const std::optional<PupilRecord> pupil = store_->FindPupilByNumber(class_id, number);
  if (!group || !pupil) return "";
  const Json login = {{"join_code", group->join_code}, {"number", number}, {"code", pupil->code}};
  return CookieOf(Call("POST", "/api/pupil/login", login.dump()));
}

int64_t HubApiTest::Assignment(int64_t class_id, const std::string& teacher_cookie, Json settings) {
  Json body = {{"title", "正方形"}, {"references", {"前进 100\n右转 90"}}};
  body.update(settings);
  return CallJson("POST", "/api/classes/" + std::to_string(class_id) + "/assignments", body,
                  teacher_cookie, 201)["id"];
}

}  // namespace dravel::hub::testing
