#include "apps/dravel-hub/api/auth_routes.h"

#include <algorithm>
#include <cctype>

#include "apps/dravel-hub/api/json_reply.h"
#include "apps/dravel-hub/api/request_fields.h"
#include "apps/dravel-hub/api/session_cookie.h"
#include "apps/dravel-hub/security/hub_secrets.h"

namespace dravel::hub {
namespace {

constexpr const char* kHubVersion = "1";

HubReply TooManyTries() { return ErrorReply(429, "尝试次数过多，请一分钟后再试"); }

LoginThrottle::Clock::time_point Now() { return LoginThrottle::Clock::now(); }

// A password checked against no teacher, so a wrong name takes as long to
// refuse as a wrong password and does not give away which names exist.
const std::string& StandInHash() {
  static const std::string hash = HashPassword("no teacher has this password");
  return hash;
}

// The teacher `name` names ("" for the hub's first teacher) when `password`
// is theirs.
std::optional<int64_t> TeacherWithPassword(HubStore& store, std::string_view name,
                                           std::string_view password) {
  std::optional<TeacherRecord> teacher;
  if (!name.empty()) {
    teacher = store.FindTeacherByName(name);
  } else if (std::vector<TeacherRecord> teachers = store.Teachers(); !teachers.empty()) {
    teacher = std::move(teachers.front());
  }
  if (!teacher) {
    PasswordMatches(StandInHash(), password);
    return std::nullopt;
  }
  if (!PasswordMatches(teacher->password_hash, password)) return std::nullopt;
  return teacher->id;
}

// A join code as typed: letters in either case.
std::string JoinCodeTyped(std::string code) {
  std::transform(code.begin(), code.end(), code.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return code;
}

}  // namespace

HubReply HubInfo(RouteContext&) {
  return JsonReply(200, {{"name", "dravel-hub"}, {"version", kHubVersion}});
}

HubReply TeacherLogin(RouteContext& context) {
  const std::string& address = context.request.remote_address;
  LoginThrottle& throttle = context.services.teacher_logins;
  const LoginThrottle::Clock::time_point taken = Now();
  if (!throttle.TakeTry(address, taken)) return TooManyTries();
  const std::optional<Json> body = JsonObjectBody(context.request);
  // A password is taken as typed, spaces and all; a name trimmed.
  const bool named = body && body->contains("name");
  const std::optional<std::string> name =
      named ? TextField(*body, "name") : std::optional<std::string>("");
  if (!body || !body->contains("password") || !body->at("password").is_string() || !name) {
    throttle.GiveBack(address, taken);
    return BadBody(name ? "缺少密码" : "name 应为老师的名字");
  }
  const std::optional<int64_t> teacher = TeacherWithPassword(
      context.Store(), *name, body->at("password").get_ref<const std::string&>());
  if (!teacher) return ErrorReply(401, named ? "名字或密码不正确" : "密码不正确");
  throttle.GiveBack(address, taken);
  HubReply reply = JsonReply(200, {{"role", "teacher"}});
  StartSession(context, SessionRole::kTeacher, *teacher, reply);
  return reply;
}

HubReply TeacherMe(RouteContext& context) {
  const std::optional<TeacherRecord> teacher =
      context.Store().FindTeacher(context.caller->teacher_id);
  if (!teacher) return ErrorReply(401, "请先登录");
  return JsonReply(200, {{"id", teacher->id}, {"name", teacher->name}, {"admin", teacher->admin}});
}

HubReply TeacherLogout(RouteContext& context) {
  HubReply reply = JsonReply(200, Json::object());
  EndSession(context, SessionRole::kTeacher, reply);
  return reply;
}

HubReply PupilLogin(RouteContext& context) {
  const std::string& address = context.request.remote_address;
  LoginThrottle& throttle = context.services.pupil_logins;
  const LoginThrottle::Clock::time_point taken = Now();
  if (!throttle.TakeTry(address, taken)) return TooManyTries();
  const std::optional<Json> body = JsonObjectBody(context.request);
  const std::optional<std::string> join_code = body ? TextField(*body, "join_code") : std::nullopt;
  const std::optional<std::string> number = body ? TextField(*body, "number") : std::nullopt;
  const std::optional<std::string> code = body ? TextField(*body, "code") : std::nullopt;
  if (!join_code || !number || !code) {
    throttle.GiveBack(address, taken);
    return BadBody(body ? "缺少班级码、学号或个人码" : "应为 JSON 对象");
  }
  const std::optional<ClassRecord> group =
      context.Store().FindClassByJoinCode(JoinCodeTyped(*join_code));
  const std::optional<PupilRecord> pupil =
      group ? context.Store().FindPupilByNumber(group->id, *number) : std::nullopt;
  if (!pupil || !SecretsEqual(pupil->code, *code)) {
    return ErrorReply(401, "班级码、学号或个人码不正确");
  }
  throttle.GiveBack(address, taken);
  // Said only to the code's owner: told to anyone, it would confirm a
  // guessed join code without counting the guess.
  if (!group->join_open) return ErrorReply(403, "老师暂时关闭了这个班级的登录");
  HubReply reply = JsonReply(200, {{"role", "pupil"}});
  StartSession(context, SessionRole::kPupil, pupil->id, reply);
  return reply;
}

HubReply PupilLogout(RouteContext& context) {
  HubReply reply = JsonReply(200, Json::object());
  EndSession(context, SessionRole::kPupil, reply);
  return reply;
}

HubReply PupilMe(RouteContext& context) {
  const PupilRecord& pupil = context.caller->pupil;
  const std::optional<ClassRecord> group = context.Store().FindClass(pupil.class_id);
  return JsonReply(200, {{"number", pupil.number},
                         {"name", pupil.name},
                         {"class", group ? group->name : std::string()}});
}

}  // namespace dravel::hub
