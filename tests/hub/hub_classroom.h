// What the process tests of dravel-hub do as a class: the teacher logs in,
// makes a class with a roster and an assignment (a square as reference),
// logs every pupil in; and the hand-ins are polled until graded. Every
// request goes to 127.0.0.1 through hub_process.h.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "hub_process.h"

namespace dravel::hub {

// The password every process test's hub is made with.
inline constexpr char kTestPassword[] = "a-long-password";

struct Classroom {
  int port = 0;
  int64_t class_id = 0;
  std::string teacher;  // session cookies
  int64_t assignment = 0;
  std::vector<std::string> pupils;
};

nlohmann::json JsonOf(const HttpAnswer& answer);

std::string TeacherLogin(int port);

// A class of `pupils` with an assignment, everyone logged in; asserts on the way.
void MakeClassroom(int port, int pupils, Classroom& room);

// Polls the hand-ins on `port` until none is queued or grading, or `bound`
// has passed; each one's state and last message.
std::map<int64_t, nlohmann::json> SettledHandins(int port, const std::string& teacher,
                                                 const std::vector<int64_t>& ids,
                                                 int bound_seconds);

}  // namespace dravel::hub
