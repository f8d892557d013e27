// What the hub's tests share: a fresh place for a hub's data per test (a
// folder, or, when DRAVEL_HUB_TEST_DATABASE holds a PostgreSQL URL, a
// database of its own on that server), a wall that records what is
// published (and lets a test wait for it), a quick fake grader, and an API
// over a real store with a teacher whose password is kTeacherPassword,
// driven through HubApi::Handle.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "apps/dravel-hub/api/hub_api.h"
#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/grading_queue/grading_queue.h"
#include "apps/dravel-hub/store/store_location.h"

namespace dravel::hub::testing {

inline constexpr const char* kTeacherPassword = "correct horse";
inline constexpr const char* kHost = "hub.school:8080";

// A folder of its own under the system's temporary folder, removed after.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The server the tests' databases are made on: DRAVEL_HUB_TEST_DATABASE
// when it holds a PostgreSQL URL, else "" (the tests use data folders).
std::string TestServerUrl();

// Where one test's hub keeps its data: a fresh folder, and on a test
// server a fresh, empty database made for this test alone, dropped after.
class TestLocation {
 public:
  TestLocation();
  ~TestLocation();
  TestLocation(const TestLocation&) = delete;
  TestLocation& operator=(const TestLocation&) = delete;

  // What OpenStore and Hub::Open take: the database's URL, else the folder.
  const std::string& Location() const { return location_; }
  const std::filesystem::path& Folder() const { return folder_.Path(); }
  bool OnServer() const { return !database_.empty(); }

 private:
  TempFolder folder_;
  std::string database_;
  std::string location_;
};

// A store opened at `location`, failing the test when it cannot be.
std::unique_ptr<HubStore> OpenTestStore(const TestLocation& location);

class RecordingWall : public WallFeed {
 public:
  void Publish(int64_t class_id, std::string message) override;
  void CloseClass(int64_t class_id) override;
  std::vector<int64_t> Closed();
  // The messages so far once there are at least `count` (a handshake with
  // the grading workers, not a timing).
  std::vector<Json> WaitFor(size_t count);

 private:
  std::mutex mutex_;
  std::condition_variable published_;
  std::vector<Json> messages_;
  std::vector<int64_t> closed_;
};

// Graded with score 80 and a picture "png:" + the script.
GradeOutcome FakeGrade(std::string_view gbk_script, const std::vector<std::string>& references);

class HubApiTest : public ::testing::Test {
 protected:
  HubApiTest();

  HubReply Call(const std::string& method, const std::string& target, const std::string& body = "",
                const std::string& cookie = "");
  Json CallJson(const std::string& method, const std::string& target, const Json& body,
                const std::string& cookie, int expected_status);

  // A reply's Set-Cookie header; "" when none.
  static std::string SetCookieHeader(const HubReply& reply);
  // A session cookie ("name=token") from a login reply.
  static std::string CookieOf(const HubReply& reply);
  std::string TeacherCookie();
  // A new teacher's session; their password is `name` + " password".
  std::string OtherTeacherCookie(const std::string& name, bool admin = false);
  // A class of the teacher's with pupils 001 and 002; its id.
  int64_t ClassWithPupils(const std::string& teacher_cookie);
  std::string PupilCookie(int64_t class_id, const std::string& number);
  int64_t Assignment(int64_t class_id, const std::string& teacher_cookie,
                     Json settings = Json::object());

  TestLocation location_;
  std::unique_ptr<HubStore> store_;
  RecordingWall wall_;
  std::atomic<int> wakes_ = 0;
  HubApi api_;
};

}  // namespace dravel::hub::testing
