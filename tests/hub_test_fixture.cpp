#include "hub_test_fixture.h"

#include <unistd.h>

#include <pqxx/pqxx>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>

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

std::string TestServerUrl() {
  const char* url = std::getenv("DRAVEL_HUB_TEST_DATABASE");
  return url != nullptr && IsDatabaseUrl(url) ? url : "";
}

namespace {

// `url` naming the database `name` on the same server.
std::string UrlOfDatabase(const std::string& url, const std::string& name) {
  const size_t path = url.find('/', url.find("://") + 3);
  const size_t query = url.find('?', path == std::string::npos ? 0 : path);
  const std::string server = url.substr(0, std::min(path, query));
  return server + "/" + name + (query == std::string::npos ? "" : url.substr(query));
}

void ExecuteOnServer(const std::string& sql) {
  pqxx::connection connection(TestServerUrl());
  pqxx::nontransaction(connection).exec(sql);
}

}  // namespace

TestLocation::TestLocation() {
  location_ = folder_.Path().string();
  if (TestServerUrl().empty()) return;
  static std::atomic<int> count = 0;
  database_ = "dravel_test_" + std::to_string(getpid()) + "_" + std::to_string(count++);
  ExecuteOnServer("DROP DATABASE IF EXISTS " + database_);
  ExecuteOnServer("CREATE DATABASE " + database_ + " TEMPLATE template0");
  location_ = UrlOfDatabase(TestServerUrl(), database_);
}

TestLocation::~TestLocation() {
  if (database_.empty()) return;
  try {
    // The test's stores may still hold connections.
    ExecuteOnServer("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
  } catch (const std::exception& error) {
    ADD_FAILURE() << "dropping " << database_ << ": " << error.what();
  }
}

std::unique_ptr<HubStore> OpenTestStore(const TestLocation& location) {
  OpenedStore opened = OpenStore(location.Location());
  EXPECT_TRUE(opened.store) << opened.error;
  return std::move(opened.store);
}

void RecordingWall::Publish(int64_t, std::string message) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(Json::parse(message));
  }
  published_.notify_all();
}

void RecordingWall::CloseClass(int64_t class_id) {
  std::lock_guard lock(mutex_);
  closed_.push_back(class_id);
}

std::vector<int64_t> RecordingWall::Closed() {
  std::lock_guard lock(mutex_);
  return closed_;
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

std::unique_ptr<HubStore> NewStore(const TestLocation& location) {
  std::unique_ptr<HubStore> store = OpenTestStore(location);
  store->AddTeacher("老师", HashPassword(kTeacherPassword), false);
  return store;
}

}  // namespace

HubApiTest::HubApiTest()
    : store_(NewStore(location_)), api_(*store_, wall_, [this] { ++wakes_; }) {}

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
