// Many teachers on one hub: unique names, logging in by name, every
// class-scoped route closed to every teacher but the class's own, and the
// school administrator's list of teachers and hand-over of a class.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "apps/dravel-hub/api/route_table.h"
#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/store/sqlite_store.h"
#include "hub_test_fixture.h"

namespace dravel::hub::testing {
namespace {

std::string WithId(std::string_view pattern, int64_t id) {
  std::string path(pattern);
  path.replace(path.find('#'), 1, std::to_string(id));
  return path;
}

TEST(TeacherStore, NamesAreUniqueAndAClassMovesOnlyToATeacherThatExists) {
  TempFolder folder;
  std::unique_ptr<SqliteStore> store = SqliteStore::Open(HubDatabasePath(folder.Path())).store;
  const std::optional<int64_t> first = store->AddTeacher("老师", "h1", false);
  const std::optional<int64_t> admin = store->AddTeacher("教务处", "h2", true);
  ASSERT_TRUE(first && admin);
  EXPECT_FALSE(store->AddTeacher("老师", "h3", true));
  ASSERT_EQ(store->Teachers().size(), 2u);
  EXPECT_EQ(store->Teachers().front().id, *first);
  EXPECT_EQ(store->FindTeacherByName("老师")->password_hash, "h1");
  EXPECT_TRUE(store->FindTeacher(*admin)->admin);
  EXPECT_FALSE(store->FindTeacherByName("老"));
  const int64_t group = *store->AddClass({0, *first, "c", "JOIN23", true});
  store->AddPupils(group, {{0, group, "1", "p", "123456"}});
  EXPECT_FALSE(store->MoveClass(group, *admin + 1));
  EXPECT_FALSE(store->MoveClass(group + 1, *admin));
  EXPECT_EQ(store->FindClass(group)->teacher_id, *first);
  EXPECT_TRUE(store->MoveClass(group, *admin));
  EXPECT_TRUE(store->TeacherClasses(*first).empty());
  EXPECT_EQ(store->TeacherClasses(*admin).size(), 1u);
  EXPECT_EQ(store->ClassPupils(group).size(), 1u);
}

// A class hub made before teachers had names to log in with keeps its
// teacher, who becomes no administrator.
TEST(TeacherStore, AnOlderFileKeepsItsTeacherAndGainsUniqueNames) {
  TempFolder folder;
  const std::string file = HubDatabasePath(folder.Path()).string();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE teachers (id INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                         "password_hash TEXT NOT NULL);"
                         "INSERT INTO teachers (name, password_hash) VALUES ('老师', 'h');"
                         "PRAGMA user_version = 1;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  StoreOpening opening = SqliteStore::Open(file);
  ASSERT_TRUE(opening.store) << opening.error;
  const std::vector<TeacherRecord> teachers = opening.store->Teachers();
  ASSERT_EQ(teachers.size(), 1u);
  EXPECT_EQ(teachers[0].name, "老师");
  EXPECT_FALSE(teachers[0].admin);
  EXPECT_FALSE(opening.store->AddTeacher("老师", "h", false));
}

TEST(TeacherNameRefusal, RefusesWhatCannotBeShownOrTypedBack) {
  struct Row {
    std::string name;
    bool refused;
  } rows[] = {
      {"王老师", false},
      {"  王老师 ", false},
      {"", true},
      {"   ", true},
      {"王\t老师", true},
      {"王\n", true},
      {"\x7F", true},
      {"\xCD\xF5", true},          // GBK, not UTF-8
      {"\xEF\xBB\xBF\xCD", true},  // a byte order mark and then GBK
      {std::string(120, 'a'), false},
      {std::string(121, 'a'), true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(!TeacherNameRefusal(row.name).empty(), row.refused);
  }
}

class TeachersApartTest : public HubApiTest {
 protected:
  TeachersApartTest() : owner_(TeacherCookie()) {
    group_ = ClassWithPupils(owner_);
    assignment_ = Assignment(group_, owner_);
    handin_ = CallJson("POST", WithId("/api/assignments/#/handins", assignment_),
                       {{"script", "前进 1"}}, PupilCookie(group_, "001"), 201)["handin_id"];
    while (std::optional<GradingJob> job = store_->TakeQueued(0)) {
      EXPECT_TRUE(store_->StoreOutcome(*job, FakeGrade(job->handin.script, job->references)));
    }
  }

  // The path of `pattern` with the id its first segment names, or `missing`
  // for every id when set.
  std::string Target(std::string_view pattern, int64_t missing = 0) const {
    int64_t id = pattern.starts_with("/api/classes/")       ? group_
                 : pattern.starts_with("/api/assignments/") ? assignment_
                                                            : handin_;
    return WithId(pattern, missing ? missing : id);
  }

  // A request's status and body; a wall upgrade as 200 when let through and
  // 404 when refused, as the server answers it.
  std::pair<int, std::string> Ask(std::string_view method, std::string_view pattern,
                                  const std::string& body, const std::string& cookie,
                                  int64_t missing = 0) {
    if (method != "UPGRADE") {
      const HubReply reply = Call(std::string(method), Target(pattern, missing), body, cookie);
      return {reply.status, reply.body};
    }
    HubRequest request;
    request.method = "GET";
    request.target = Target(pattern, missing);
    request.cookie = cookie;
    return {api_.WallClass(request) ? 200 : 404, ""};
  }

  std::string owner_;
  int64_t group_ = 0, assignment_ = 0, handin_ = 0;
};

// Every route that reaches into a class, in an order the class's own
// teacher can walk (the purge last).
struct ClassRoute {
  std::string_view method;
  std::string_view pattern;
  std::string body;
  int owner_status;
};

const ClassRoute kClassRoutes[] = {
    {"POST", "/api/classes/#/join", R"({"open":false})", 200},
    {"POST", "/api/classes/#/roster", "003,王五\n", 200},
    {"GET", "/api/classes/#/pupils", "", 200},
    {"POST", "/api/classes/#/assignments", R"({"title":"三角形","references":["前进 9"]})", 201},
    {"GET", "/api/classes/#/assignments", "", 200},
    {"GET", "/api/assignments/#/handins", "", 200},
    {"GET", "/api/handins/#", "", 200},
    {"GET", "/api/handins/#/picture.png", "", 200},
    {"GET", "/api/handins/#/overlay.png", "", 200},
    {"GET", "/api/classes/#/wall", "", 426},
    {"UPGRADE", "/api/classes/#/wall", "", 200},
    {"GET", "/api/classes/#/cards", "", 200},
    {"GET", "/api/classes/#/gradebook.csv", "", 200},
    {"GET", "/api/classes/#/gradebook.xlsx", "", 200},
    {"GET", "/api/classes/#/export", "", 200},
    {"GET", "/api/assignments/#/report.html", "", 200},
    {"PUT", "/api/assignments/#/references", R"({"references":["前进 2"]})", 200},
    {"DELETE", "/api/classes/#/pupils", "", 200},
};

TEST(ClassRoutes, EveryRouteIntoAClassHasARowBelow) {
  for (const Route& route : Routes()) {
    const bool teachers =
        route.access == Access::kTeacher || route.access == Access::kTeacherOrPupil;
    if (!teachers || route.pattern.find('#') == std::string_view::npos) continue;
    SCOPED_TRACE(std::string(route.method) + " " + std::string(route.pattern));
    EXPECT_TRUE(std::any_of(std::begin(kClassRoutes), std::end(kClassRoutes), [&](auto& row) {
      return row.method == route.method && row.pattern == route.pattern;
    }));
  }
}

TEST_F(TeachersApartTest, AnotherTeachersClassIsAnsweredAsOneThatDoesNotExist) {
  const std::string others[] = {OtherTeacherCookie("王老师"), OtherTeacherCookie("教务处", true)};
  for (const std::string& other : others) {
    for (const ClassRoute& row : kClassRoutes) {
      SCOPED_TRACE(other + " " + std::string(row.method) + " " + std::string(row.pattern));
      const auto missing = Ask(row.method, row.pattern, row.body, owner_, 999999);
      EXPECT_EQ(missing.first, 404);
      EXPECT_EQ(Ask(row.method, row.pattern, row.body, other), missing);
    }
  }
  // Nothing the others asked for was done.
  EXPECT_TRUE(store_->FindClass(group_)->join_open);
  EXPECT_EQ(store_->ClassPupils(group_).size(), 2u);
  EXPECT_EQ(store_->ClassAssignments(group_).size(), 1u);
  EXPECT_EQ(store_->FindHandin(handin_)->state, HandinState::kGraded);
  for (const ClassRoute& row : kClassRoutes) {
    SCOPED_TRACE(std::string(row.method) + " " + std::string(row.pattern));
    EXPECT_EQ(Ask(row.method, row.pattern, row.body, owner_).first, row.owner_status);
  }
}

TEST_F(TeachersApartTest, TeachersLogInByNameAndThePasswordAloneIsTheFirstTeachers) {
  ASSERT_TRUE(store_->AddTeacher("王老师", HashPassword("王老师的密码"), false));
  struct Row {
    Json body;
    int status;
    const char* who;
  } rows[] = {
      {{{"password", kTeacherPassword}}, 200, "老师"},
      {{{"name", "老师"}, {"password", kTeacherPassword}}, 200, "老师"},
      {{{"name", ""}, {"password", kTeacherPassword}}, 200, "老师"},
      {{{"name", " 王老师 "}, {"password", "王老师的密码"}}, 200, "王老师"},
      {{{"password", "王老师的密码"}}, 401, ""},
      {{{"name", "王老师"}, {"password", kTeacherPassword}}, 401, ""},
      {{{"name", 7}, {"password", kTeacherPassword}}, 400, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body.dump());
    const HubReply reply = Call("POST", "/api/teacher/login", row.body.dump());
    ASSERT_EQ(reply.status, row.status) << reply.body;
    if (row.status != 200) continue;
    EXPECT_EQ(CallJson("GET", "/api/teacher/me", nullptr, CookieOf(reply), 200)["name"], row.who);
  }
}

TEST_F(TeachersApartTest, AWrongNameAndAWrongPasswordAnswerAlikeAndBothCount) {
  const std::string wrong_name = R"({"name":"无此人","password":"correct horse"})";
  const std::string wrong_password = R"({"name":"老师","password":"wrong horse"})";
  const HubReply by_name = Call("POST", "/api/teacher/login", wrong_name);
  const HubReply by_password = Call("POST", "/api/teacher/login", wrong_password);
  EXPECT_EQ(by_name.status, 401);
  EXPECT_EQ(by_name.status, by_password.status);
  EXPECT_EQ(by_name.body, by_password.body);
  for (int i = 2; i < LoginThrottle::kTries; i += 2) {
    Call("POST", "/api/teacher/login", wrong_name);
    Call("POST", "/api/teacher/login", wrong_password);
  }
  EXPECT_EQ(Call("POST", "/api/teacher/login", Json{{"password", kTeacherPassword}}.dump()).status,
            429);
}

TEST_F(TeachersApartTest, OnlyTheAdministratorListsTeachersAndHandsAClassOver) {
  const std::string teacher = OtherTeacherCookie("王老师");
  const std::string admin = OtherTeacherCookie("教务处", true);
  const int64_t wang = store_->FindTeacherByName("王老师")->id;
  const std::string move = WithId("/api/admin/classes/#/teacher", group_);
  const std::string to_wang = Json{{"teacher_id", wang}}.dump();
  const std::pair<std::string, int> refused[] = {{"", 401}, {owner_, 403}};
  for (const auto& [cookie, status] : refused) {
    SCOPED_TRACE(status);
    EXPECT_EQ(Call("GET", "/api/admin/teachers", "", cookie).status, status);
    EXPECT_EQ(Call("GET", "/api/admin/classes", "", cookie).status, status);
    EXPECT_EQ(Call("POST", move, to_wang, cookie).status, status);
  }
  EXPECT_EQ(CallJson("GET", "/api/admin/teachers", nullptr, admin, 200),
            Json::parse(R"([{"id":1,"name":"老师","admin":false,"classes":1},
                            {"id":2,"name":"王老师","admin":false,"classes":0},
                            {"id":3,"name":"教务处","admin":true,"classes":0}])"));
  struct Row {
    std::string target, body;
    int status;
  } refusals[] = {
      {move, R"({"teacher_id":99})", 404},
      {WithId("/api/admin/classes/#/teacher", 99), to_wang, 404},
      {move, R"({"teacher_id":"2"})", 400},
      {move, R"({"teacher_id":-2})", 400},
      {move, R"({"teacher_id":18446744073709551615})", 404},
  };
  for (const Row& row : refusals) {
    SCOPED_TRACE(row.body);
    EXPECT_EQ(Call("POST", row.target, row.body, admin).status, row.status);
  }
  EXPECT_EQ(store_->FindClass(group_)->teacher_id, 1);
  EXPECT_TRUE(wall_.Closed().empty()) << "a refused hand-over closes no wall";
  EXPECT_EQ(CallJson("POST", move, Json::parse(to_wang), admin, 200)["teacher_id"], wang);
  EXPECT_EQ(wall_.Closed(), std::vector<int64_t>{group_}) << "the former teacher's wall is closed";
  EXPECT_EQ(Call("GET", Target("/api/classes/#/pupils"), "", owner_).status, 404);
  EXPECT_EQ(Call("GET", Target("/api/handins/#/picture.png"), "", teacher).status, 200);
  EXPECT_EQ(CallJson("GET", "/api/admin/classes", nullptr, admin, 200),
            Json::parse(R"([{"id":1,"name":"三年级二班","teacher_id":2}])"));
  EXPECT_EQ(CallJson("GET", "/api/classes", nullptr, admin, 200), Json::array());
}

}  // namespace
}  // namespace dravel::hub::testing
