#include "hub_classroom.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace dravel::hub {

using Json = nlohmann::json;

Json JsonOf(const HttpAnswer& answer) { return Json::parse(answer.body, nullptr, false); }

std::string TeacherLogin(int port) {
  return CallLocal(port, "POST", "/api/teacher/login", Json{{"password", kTestPassword}}.dump())
      .set_cookie;
}

void MakeClassroom(int port, int pupils, Classroom& room) {
  room.port = port;
  room.teacher = TeacherLogin(port);
  ASSERT_FALSE(room.teacher.empty());
  const Json group =
      JsonOf(CallLocal(port, "POST", "/api/classes", R"({"name":"四年级一班"})", room.teacher));
  room.class_id = group.value("id", int64_t{0});
  const std::string path = "/api/classes/" + std::to_string(room.class_id);
  std::string roster = "学号,姓名\n";
  for (int i = 0; i < pupils; ++i)
    roster += std::to_string(1000 + i) + ",学生" + std::to_string(i) + "\n";
  const Json listed = JsonOf(CallLocal(port, "POST", path + "/roster", roster, room.teacher));
  ASSERT_EQ(listed["pupils"].size(), size_t(pupils));
  const Json assignment = {{"title", "正方形"}, {"references", {"重复 4 【前进 100|右转 90】"}}};
  room.assignment =
      JsonOf(CallLocal(port, "POST", path + "/assignments", assignment.dump(), room.teacher))
          .value("id", 0);
  ASSERT_GT(room.assignment, 0);
  for (const Json& pupil : listed["pupils"]) {
    const Json login = {
        {"join_code", group["join_code"]}, {"number", pupil["number"]}, {"code", pupil["code"]}};
    room.pupils.push_back(CallLocal(port, "POST", "/api/pupil/login", login.dump()).set_cookie);
    ASSERT_FALSE(room.pupils.back().empty());
  }
}

std::map<int64_t, Json> SettledHandins(int port, const std::string& teacher,
                                       const std::vector<int64_t>& ids, int bound_seconds) {
  std::map<int64_t, Json> states;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(bound_seconds);
  for (size_t settled = 0; settled < ids.size() && std::chrono::steady_clock::now() < give_up;) {
    settled = 0;
    for (int64_t id : ids) {
      states[id] =
          JsonOf(CallLocal(port, "GET", "/api/handins/" + std::to_string(id), "", teacher));
      const std::string state = states[id].value("state", "");
      settled += state == "graded" || state == "failed";
    }
    if (settled < ids.size()) std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return states;
}

}  // namespace dravel::hub
