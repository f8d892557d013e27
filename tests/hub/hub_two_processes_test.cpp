// Two dravel-hub processes on one PostgreSQL database, as scripts/test-hub-postgres
// starts them (DRAVEL_HUB_PORTS="PORT1 PORT2", the first teacher's password in
// DRAVEL_HUB_PASSWORD): a teacher and a pupil log in through one, the pupil
// hands in there, and through the other both see the hand-in graded by
// whichever process took it. Not run by ctest: the script starts the hubs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "hub_process.h"

namespace dravel::hub {
namespace {

using Json = nlohmann::json;

// A working pair grades one hand-in in well under a second; only a broken
// one meets this.
constexpr auto kGradingBound = std::chrono::seconds(60);

Json JsonOf(const HttpAnswer& answer) { return Json::parse(answer.body, nullptr, false); }

TEST(TwoHubProcesses, AHandinThroughOneIsSeenGradedThroughTheOther) {
  const char* ports_text = std::getenv("DRAVEL_HUB_PORTS");
  const char* password = std::getenv("DRAVEL_HUB_PASSWORD");
  if (ports_text == nullptr || password == nullptr) GTEST_SKIP() << "no hubs started";
  int first = 0, second = 0;
  std::istringstream(ports_text) >> first >> second;
  ASSERT_TRUE(first > 0 && second > 0 && first != second) << ports_text;

  const std::string teacher =
      CallLocal(first, "POST", "/api/teacher/login", Json{{"password", password}}.dump())
          .set_cookie;
  ASSERT_FALSE(teacher.empty());
  const Json group =
      JsonOf(CallLocal(first, "POST", "/api/classes", R"({"name":"五年级三班"})", teacher));
  const std::string path = "/api/classes/" + std::to_string(group.value("id", 0));
  const Json listed =
      JsonOf(CallLocal(first, "POST", path + "/roster", "学号,姓名\n01,王小明\n", teacher));
  ASSERT_EQ(listed["pupils"].size(), 1u) << listed.dump();
  const Json assignment = {{"title", "正方形"}, {"references", {"重复 4 【前进 100|右转 90】"}}};
  const int64_t assignment_id =
      JsonOf(CallLocal(first, "POST", path + "/assignments", assignment.dump(), teacher))
          .value("id", 0);
  ASSERT_GT(assignment_id, 0);

  const Json login = {
      {"join_code", group["join_code"]}, {"number", "01"}, {"code", listed["pupils"][0]["code"]}};
  const std::string pupil = CallLocal(first, "POST", "/api/pupil/login", login.dump()).set_cookie;
  ASSERT_FALSE(pupil.empty());
  const HttpAnswer handed =
      CallLocal(first, "POST", "/api/assignments/" + std::to_string(assignment_id) + "/handins",
                R"({"script":"重复 4 【前进 100|右转 90】"})", pupil);
  ASSERT_EQ(handed.status, 201) << handed.body;
  const std::string handin = "/api/handins/" + std::to_string(JsonOf(handed).value("handin_id", 0));

  // The sessions live in the database: the other process knows both callers.
  Json seen;
  const auto give_up = std::chrono::steady_clock::now() + kGradingBound;
  while (std::chrono::steady_clock::now() < give_up) {
    seen = JsonOf(CallLocal(second, "GET", handin, "", pupil));
    if (seen.value("state", "") == "graded" || seen.value("state", "") == "failed") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_EQ(seen.value("state", ""), "graded") << seen.dump();
  EXPECT_GE(seen.value("score", 0.0), 90.0) << seen.dump();  // the reference itself
  EXPECT_EQ(CallLocal(second, "GET", handin + "/picture.png", "", teacher).status, 200);
}

}  // namespace
}  // namespace dravel::hub
