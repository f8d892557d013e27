// The API through HubApi::Handle over a real store: logins and their
// throttle, sessions, foreign pages, who may see what, handing in.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <thread>

#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/security/hub_secrets.h"
#include "hub_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub::testing {
namespace {

std::string Path(const std::string& front, int64_t id, const std::string& back = "") {
  return front + std::to_string(id) + back;
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(HubApiTest, TeacherLoginSetsAStrictHttpOnlyCookieOnlyForTheRightPassword) {
  EXPECT_EQ(Call("POST", "/api/teacher/login", R"({"password":"wrong one"})").status, 401);
  EXPECT_EQ(Call("POST", "/api/teacher/login", R"({"pass":"x"})").status, 400);
  EXPECT_EQ(Call("POST", "/api/teacher/login", "not json").status, 400);
  const HubReply reply =
      Call("POST", "/api/teacher/login", Json{{"password", kTeacherPassword}}.dump());
  ASSERT_EQ(reply.status, 200);
  const std::string cookie = SetCookieHeader(reply);
  for (const char* part : {"HttpOnly", "SameSite=Strict", "Path=/"}) {
    EXPECT_NE(cookie.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(cookie.find("Secure"), std::string::npos);
  EXPECT_EQ(Call("GET", "/api/classes", "", CookieOf(reply)).status, 200);
  HubRequest over_tls;
  over_tls.method = "POST";
  over_tls.target = "/api/teacher/login";
  over_tls.body = Json{{"password", kTeacherPassword}}.dump();
  over_tls.secure = true;
  EXPECT_NE(SetCookieHeader(api_.Handle(over_tls)).find("; Secure"), std::string::npos);
}

TEST_F(HubApiTest, TenWrongTriesFromOneAddressRefuseEvenTheRightPassword) {
  for (int i = 0; i < LoginThrottle::kTries; ++i) {
    ASSERT_EQ(Call("POST", "/api/teacher/login", R"({"password":"guess"})").status, 401);
  }
  EXPECT_EQ(Call("POST", "/api/teacher/login", Json{{"password", kTeacherPassword}}.dump()).status,
            429);
  // Pupils' door keeps its own count.
  EXPECT_EQ(Call("POST", "/api/pupil/login", R"({"join_code":"X","number":"1","code":"1"})").status,
            401);
}

TEST_F(HubApiTest, LogoutEndsTheSession) {
  const std::string cookie = TeacherCookie();
  const HubReply out = Call("POST", "/api/teacher/logout", "", cookie);
  EXPECT_EQ(out.status, 200);
  EXPECT_NE(SetCookieHeader(out).find("Max-Age=0"), std::string::npos);
  EXPECT_EQ(Call("GET", "/api/classes", "", cookie).status, 401);
}

TEST_F(HubApiTest, StateChangesFromAnotherSitesPageAreRefused) {
  const std::string cookie = TeacherCookie();
  struct Row {
    const char* origin;
    const char* method;
    int status;
  } rows[] = {
      {"http://evil.example", "POST", 403},
      {"null", "POST", 403},
      {"http://hub.school:8080.evil.example", "POST", 403},
      {"http://hub.school:9090", "POST", 403},
      {"ftp://hub.school:8080", "POST", 403},
      {"http://evil.example", "GET", 200},
      {"https://HUB.school:8080", "POST", 201},
      {"", "POST", 201},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.method) + " from " + row.origin);
    HubRequest request;
    request.method = row.method;
    request.target = "/api/classes";
    request.cookie = cookie;
    request.origin = row.origin;
    request.host = kHost;
    request.body = R"({"name":"a"})";
    EXPECT_EQ(api_.Handle(request).status, row.status);
  }
}

TEST_F(HubApiTest, TeacherRoutesWantTheTeachersSession) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const std::string pupil = PupilCookie(group, "001");
  ASSERT_FALSE(pupil.empty());
  struct Row {
    const char* method;
    std::string target;
  } rows[] = {
      {"GET", "/api/classes"},
      {"POST", "/api/classes"},
      {"POST", Path("/api/classes/", group, "/roster")},
      {"DELETE", Path("/api/classes/", group, "/pupils")},
      {"GET", Path("/api/classes/", group, "/assignments")},
      {"GET", "/api/assignments/1/handins"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.method) + " " + row.target);
    EXPECT_EQ(Call(row.method, row.target, "{}").status, 401);
    EXPECT_EQ(Call(row.method, row.target, "{}", pupil).status, 401);
    EXPECT_EQ(Call(row.method, row.target, "{}", "hub_teacher=forged").status, 401);
  }
}

TEST_F(HubApiTest, AnotherTeachersClassIsNotThere) {
  const std::string mine = TeacherCookie();
  const int64_t group = ClassWithPupils(mine);
  const int64_t assignment = Assignment(group, mine);
  const std::string theirs = OtherTeacherCookie("王老师");
  ASSERT_FALSE(theirs.empty());
  EXPECT_EQ(CallJson("GET", "/api/classes", nullptr, theirs, 200), Json::array());
  EXPECT_EQ(Call("POST", Path("/api/classes/", group, "/join"), R"({"open":false})", theirs).status,
            404);
  EXPECT_EQ(Call("GET", Path("/api/assignments/", assignment, "/handins"), "", theirs).status, 404);
  EXPECT_EQ(Call("DELETE", Path("/api/classes/", group, "/pupils"), "", theirs).status, 404);
  EXPECT_EQ(store_->ClassPupils(group).size(), 2u);
}

TEST_F(HubApiTest, PupilSeesOnlyTheirOwnHandinsAndClass) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t other_group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  const int64_t other_assignment = Assignment(other_group, teacher);
  const std::string zhang = PupilCookie(group, "001");
  const std::string li = PupilCookie(group, "002");
  const int64_t handin = CallJson("POST", Path("/api/assignments/", assignment, "/handins"),
                                  {{"script", "前进 10"}}, zhang, 201)["handin_id"];
  EXPECT_EQ(Call("GET", Path("/api/handins/", handin), "", zhang).status, 200);
  EXPECT_EQ(Call("GET", Path("/api/handins/", handin), "", li).status, 404);
  EXPECT_EQ(Call("GET", Path("/api/handins/", handin, "/picture.png"), "", li).status, 404);
  EXPECT_EQ(Call("POST", Path("/api/assignments/", other_assignment, "/handins"),
                 R"({"script":"前进 10"})", li)
                .status,
            404);
  EXPECT_EQ(CallJson("GET", "/api/pupil/assignments", nullptr, li, 200).size(), 1u);
}

TEST_F(HubApiTest, PupilLoginNeedsOpenJoiningAndTheRightCode) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const ClassRecord record = *store_->FindClass(group);
  const std::string code = store_->FindPupilByNumber(group, "001")->code;
  struct Row {
    const char* name;
    std::string join_code, number, code;
    int status;
  } rows[] = {
      {"wrong code", record.join_code, "001", code == "000000" ? "111111" : "000000", 401},
      {"unknown number", record.join_code, "1", code, 401},
      {"unknown class", "ZZZZZZ", "001", code, 401},
      {"lower-case join code", LowerCase(record.join_code), "001", code, 200},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Json body = {{"join_code", row.join_code}, {"number", row.number}, {"code", row.code}};
    EXPECT_EQ(Call("POST", "/api/pupil/login", body.dump()).status, row.status);
  }
  CallJson("POST", Path("/api/classes/", group, "/join"), {{"open", false}}, teacher, 200);
  const Json right = {{"join_code", record.join_code}, {"number", "001"}, {"code", code}};
  EXPECT_EQ(Call("POST", "/api/pupil/login", right.dump()).status, 403);
}

TEST_F(HubApiTest, AClosedClassIsNamedOnlyToAPupilWithTheRightCode) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const ClassRecord record = *store_->FindClass(group);
  const std::string code = store_->FindPupilByNumber(group, "001")->code;
  CallJson("POST", Path("/api/classes/", group, "/join"), {{"open", false}}, teacher, 200);
  const std::string wrong = code == "000000" ? "111111" : "000000";
  for (int i = 0; i < LoginThrottle::kTries; ++i) {
    const Json guess = {{"join_code", record.join_code}, {"number", "001"}, {"code", wrong}};
    ASSERT_EQ(Call("POST", "/api/pupil/login", guess.dump()).status, 401);
  }
  const Json right = {{"join_code", record.join_code}, {"number", "001"}, {"code", code}};
  EXPECT_EQ(Call("POST", "/api/pupil/login", right.dump()).status, 429);
}

TEST_F(HubApiTest, PupilMeNamesThePupilAndClass) {
  const int64_t group = ClassWithPupils(TeacherCookie());
  const Json me = CallJson("GET", "/api/pupil/me", nullptr, PupilCookie(group, "002"), 200);
  EXPECT_EQ(me, (Json{{"number", "002"}, {"name", "李四"}, {"class", "三年级二班"}}));
}

TEST_F(HubApiTest, ASecondHandinIsRefusedWhereResubmittingIsOff) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const std::string pupil = PupilCookie(group, "001");
  struct Row {
    bool resubmit;
    int second;
  } rows[] = {{false, 409}, {true, 201}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.resubmit);
    const int64_t assignment = Assignment(group, teacher, {{"resubmit", row.resubmit}});
    const std::string target = Path("/api/assignments/", assignment, "/handins");
    EXPECT_EQ(Call("POST", target, R"({"script":"前进 1"})", pupil).status, 201);
    const std::optional<GradingJob> job = store_->TakeQueued(0);
    ASSERT_TRUE(job && store_->StoreOutcome(*job, FakeGrade("前进 1", {})));
    EXPECT_EQ(Call("POST", target, R"({"script":"前进 2"})", pupil).status, row.second);
    EXPECT_EQ(
        store_->LatestHandin(assignment, store_->FindPupilByNumber(group, "001")->id)->attempt,
        row.resubmit ? 2 : 1);
  }
}

TEST_F(HubApiTest, APupilWaitsForTheirHandinToBeGradedBeforeHandingInAgain) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  const std::string target = Path("/api/assignments/", assignment, "/handins");
  const std::string zhang = PupilCookie(group, "001");
  EXPECT_EQ(Call("POST", target, R"({"script":"前进 1"})", zhang).status, 201);
  EXPECT_EQ(Call("POST", target, R"({"script":"前进 2"})", zhang).status, 429);
  // A classmate is not held up by it.
  EXPECT_EQ(Call("POST", target, R"({"script":"前进 3"})", PupilCookie(group, "002")).status, 201);
  const std::optional<GradingJob> job = store_->TakeQueued(0);
  ASSERT_TRUE(job);
  EXPECT_EQ(Call("POST", target, R"({"script":"前进 2"})", zhang).status, 429);
  ASSERT_TRUE(store_->StoreOutcome(*job, FakeGrade("前进 1", {})));
  EXPECT_EQ(Call("POST", target, R"({"script":"前进 2"})", zhang).status, 201);
}

TEST_F(HubApiTest, HandinsRacingWhereResubmittingIsOffLeaveExactlyOne) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const std::string pupil = PupilCookie(group, "001");
  const int64_t assignment = Assignment(group, teacher, {{"resubmit", false}});
  std::atomic<int> created = 0, refused = 0;
  {
    std::vector<std::jthread> pupils;
    for (int i = 0; i < 4; ++i) {
      pupils.emplace_back([&] {
        const int status = Call("POST", Path("/api/assignments/", assignment, "/handins"),
                                R"({"script":"前进 1"})", pupil)
                               .status;
        ++(status == 201 ? created : refused);
      });
    }
  }
  EXPECT_EQ(created, 1);
  EXPECT_EQ(refused, 3);
}

TEST_F(HubApiTest, HandinsAfterTheDeadlineAreTakenAndMarkedLate) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const std::string pupil = PupilCookie(group, "001");
  struct Row {
    Json deadline;
    bool late;
  } rows[] = {{1, true}, {4102444800, false}, {nullptr, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.deadline.dump());
    const int64_t assignment = Assignment(group, teacher, {{"deadline", row.deadline}});
    const int64_t handin = CallJson("POST", Path("/api/assignments/", assignment, "/handins"),
                                    {{"script", "前进 1"}}, pupil, 201)["handin_id"];
    EXPECT_EQ(CallJson("GET", Path("/api/handins/", handin), nullptr, pupil, 200)["late"],
              row.late);
  }
}

TEST_F(HubApiTest, DeadlinesOutsideWhatADateCanBeAreRefused) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  struct Row {
    const char* deadline;
    int status;
  } rows[] = {
      {"0", 201},
      {"253402300799", 201},
      {"253402300800", 400},
      {"-1", 400},
      {"18446744073709551615", 400},
      {"1e400", 400},
      {"1.5", 400},
      {"\"1\"", 400},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.deadline);
    const std::string body =
        std::string(R"({"title":"t","references":["前进 1"],"deadline":)") + row.deadline + "}";
    EXPECT_EQ(Call("POST", Path("/api/classes/", group, "/assignments"), body, teacher).status,
              row.status);
  }
}

TEST_F(HubApiTest, ScriptsGbkCannotHoldAreRefused) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  const std::string pupil = PupilCookie(group, "001");
  EXPECT_EQ(Call("POST", Path("/api/assignments/", assignment, "/handins"),
                 Json{{"script", "写 😀"}}.dump(), pupil)
                .status,
            400);
  EXPECT_EQ(Call("POST", Path("/api/classes/", group, "/assignments"),
                 Json{{"title", "t"}, {"references", {"前进 1", "写 😀"}}}.dump(), teacher)
                .status,
            400);
  EXPECT_EQ(Call("PUT", Path("/api/assignments/", assignment, "/references"),
                 Json{{"references", Json::array()}}.dump(), teacher)
                .status,
            400);
  EXPECT_EQ(store_->LatestHandins(assignment).size(), 0u);
  EXPECT_EQ(store_->FindAssignment(assignment)->references.size(), 1u);
}

TEST_F(HubApiTest, AHandinIsInTheDatabaseWhenAcknowledged) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  const Json reply = CallJson("POST", Path("/api/assignments/", assignment, "/handins"),
                              {{"script", "前进 100\n右转 90"}}, PupilCookie(group, "001"), 201);
  EXPECT_EQ(reply["state"], "queued");
  EXPECT_EQ(wakes_, 1);
  const Json arrival = wall_.WaitFor(1).at(0);
  EXPECT_EQ(arrival["handin_id"], reply["handin_id"]);
  EXPECT_EQ(arrival["number"], "001");
  EXPECT_TRUE(arrival["picture"].is_null());
  StoreOpening reopened = SqliteStore::Open(HubDatabasePath(folder_.Path()).string());
  ASSERT_TRUE(reopened.store);
  const std::optional<HandinRecord> kept = reopened.store->FindHandin(reply["handin_id"]);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->script, Utf8ToGbk("前进 100\n右转 90"));
}

TEST_F(HubApiTest, NewReferencesQueueEveryHandinAgain) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  for (const char* number : {"001", "002"}) {
    CallJson("POST", Path("/api/assignments/", assignment, "/handins"), {{"script", "前进 5"}},
             PupilCookie(group, number), 201);
  }
  while (std::optional<GradingJob> job = store_->TakeQueued(0)) {
    ASSERT_TRUE(store_->StoreOutcome(*job, FakeGrade(job->handin.script, job->references)));
  }
  const int wakes_before = wakes_;
  const Json reply = CallJson("PUT", Path("/api/assignments/", assignment, "/references"),
                              {{"references", {"前进 5"}}}, teacher, 200);
  EXPECT_EQ(reply["requeued"], 2);
  EXPECT_EQ(wakes_, wakes_before + 1);
  for (const HandinRecord& handin : store_->LatestHandins(assignment)) {
    EXPECT_EQ(handin.state, HandinState::kQueued);
  }
  EXPECT_EQ(store_->FindAssignment(assignment)->references,
            std::vector<std::string>{Utf8ToGbk("前进 5")});
}

TEST_F(HubApiTest, ScoreAndOverlayShowToThePupilOnlyWhereTheAssignmentSaysSo) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const std::string pupil = PupilCookie(group, "001");
  for (const bool show : {true, false}) {
    SCOPED_TRACE(show);
    const int64_t assignment = Assignment(group, teacher, {{"show_score", show}});
    const int64_t handin = CallJson("POST", Path("/api/assignments/", assignment, "/handins"),
                                    {{"script", "前进 1"}}, pupil, 201)["handin_id"];
    const std::optional<GradingJob> job = store_->TakeQueued(0);
    ASSERT_TRUE(job && store_->StoreOutcome(*job, FakeGrade("前进 1", {})));
    const Json seen = CallJson("GET", Path("/api/handins/", handin), nullptr, pupil, 200);
    EXPECT_EQ(seen["score"], show ? Json(80.0) : Json());
    EXPECT_EQ(Call("GET", Path("/api/handins/", handin, "/overlay.png"), "", pupil).status,
              show ? 200 : 404);
    EXPECT_EQ(Call("GET", Path("/api/handins/", handin, "/picture.png"), "", pupil).status, 200);
    EXPECT_EQ(CallJson("GET", Path("/api/handins/", handin), nullptr, teacher, 200)["score"], 80.0);
    EXPECT_EQ(Call("GET", Path("/api/handins/", handin, "/overlay.png"), "", teacher).status, 200);
  }
}

TEST_F(HubApiTest, TheHandinListNamesPupilsWhoHaveNotHandedIn) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  CallJson("POST", Path("/api/assignments/", assignment, "/handins"), {{"script", "前进 1"}},
           PupilCookie(group, "002"), 201);
  const Json rows =
      CallJson("GET", Path("/api/assignments/", assignment, "/handins"), nullptr, teacher, 200);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["number"], "001");
  EXPECT_TRUE(rows[0]["handin_id"].is_null() && rows[0]["state"].is_null());
  EXPECT_EQ(rows[1]["state"], "queued");
  EXPECT_EQ(rows[1]["copies"], 0);
}

TEST_F(HubApiTest, RemovingPupilsTakesTheirHandinsAndSessions) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  const int64_t assignment = Assignment(group, teacher);
  const std::string pupil = PupilCookie(group, "001");
  CallJson("POST", Path("/api/assignments/", assignment, "/handins"), {{"script", "前进 1"}}, pupil,
           201);
  EXPECT_EQ(
      CallJson("DELETE", Path("/api/classes/", group, "/pupils"), nullptr, teacher, 200)["removed"],
      2);
  EXPECT_EQ(Call("GET", "/api/pupil/me", "", pupil).status, 401);
  EXPECT_TRUE(store_->LatestHandins(assignment).empty());
}

TEST_F(HubApiTest, PathsWithMalformedIdsAreNotFound) {
  const std::string teacher = TeacherCookie();
  for (const char* target :
       {"/api/handins/01", "/api/handins/-1", "/api/handins/0", "/api/handins/99999999999999999999",
        "/api/handins/1x", "/api/handins/", "/api/nothing", "/api/handins/1/../../classes"}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(Call("GET", target, "", teacher).status, 404);
  }
  EXPECT_EQ(Call("PATCH", "/api/classes", "", teacher).status, 405);
}

TEST_F(HubApiTest, TheWallIsOpenToTheTeacherOfTheClassAlone) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  HubRequest request;
  request.method = "GET";
  request.target = Path("/api/classes/", group, "/wall");
  request.cookie = teacher;
  EXPECT_EQ(api_.WallClass(request), group);
  request.cookie = PupilCookie(group, "001");
  EXPECT_EQ(api_.WallClass(request), std::nullopt);
  request.cookie = teacher;
  request.target = Path("/api/classes/", group + 1, "/wall");
  EXPECT_EQ(api_.WallClass(request), std::nullopt);
}

TEST_F(HubApiTest, TheWallRefusesAnUpgradeStartedByAnotherPage) {
  const std::string teacher = TeacherCookie();
  const int64_t group = ClassWithPupils(teacher);
  struct Row {
    const char* origin;
    bool allowed;
  } rows[] = {
      {"http://hub.school:8080", true}, {"", true},      {"http://hub.school:9090", false},
      {"http://evil.example", false},   {"null", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.origin);
    HubRequest request;
    request.method = "GET";
    request.target = Path("/api/classes/", group, "/wall");
    request.cookie = teacher;
    request.host = kHost;
    request.origin = row.origin;
    EXPECT_EQ(api_.WallClass(request).has_value(), row.allowed);
  }
}

TEST_F(HubApiTest, TheRosterAloneMayCarryAMegabyte) {
  EXPECT_EQ(api_.BodyLimit("/api/classes/3/roster"), HubApi::kRosterBodyLimit);
  EXPECT_EQ(api_.BodyLimit("/api/classes/3/roster?x=1"), HubApi::kRosterBodyLimit);
  EXPECT_EQ(api_.BodyLimit("/api/classes/3/assignments"), HubApi::kBodyLimit);
}

TEST(LoginThrottle, LetsAnAddressTryAgainOnceItsOldestFailureIsAMinuteOld) {
  LoginThrottle throttle;
  const LoginThrottle::Clock::time_point start;
  for (int i = 0; i < LoginThrottle::kTries; ++i) {
    ASSERT_TRUE(throttle.TakeTry("a", start + std::chrono::seconds(i)));
  }
  struct Row {
    const char* address;
    LoginThrottle::Clock::duration after;
    bool may;
  } rows[] = {
      {"a", std::chrono::seconds(59), false},
      {"b", std::chrono::seconds(59), true},
      {"a", LoginThrottle::kWindow, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address);
    EXPECT_EQ(throttle.TakeTry(row.address, start + row.after), row.may);
  }
}

// Logins are checked on several threads at once: a try must count from the
// moment it is let through, not once its password has been checked.
TEST(LoginThrottle, CountsTriesStillBeingChecked) {
  LoginThrottle throttle;
  const LoginThrottle::Clock::time_point start;
  for (int i = 0; i < LoginThrottle::kTries; ++i) ASSERT_TRUE(throttle.TakeTry("a", start));
  EXPECT_FALSE(throttle.TakeTry("a", start));
  throttle.GiveBack("a", start);
  EXPECT_TRUE(throttle.TakeTry("a", start));
}

TEST(LoginThrottle, CountsAnIpv6NetworkAsOneGuesser) {
  const LoginThrottle::Clock::time_point start;
  struct Row {
    const char* name;
    const char* guesser;
    const char* then;
    bool may;
  } rows[] = {
      {"another address of the /64", "2001:db8::1", "2001:db8::ffff:2", false},
      {"another /64", "2001:db8::1", "2001:db8:0:1::1", true},
      {"IPv4 mapped into IPv6", "::ffff:10.0.0.7", "10.0.0.7", false},
      {"another IPv4 address", "10.0.0.7", "10.0.0.8", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LoginThrottle throttle;
    for (int i = 0; i < LoginThrottle::kTries; ++i)
      ASSERT_TRUE(throttle.TakeTry(row.guesser, start));
    EXPECT_EQ(throttle.TakeTry(row.then, start), row.may);
  }
}

TEST_F(HubApiTest, AMalformedLoginIsNotCountedAsAGuess) {
  for (int i = 0; i < LoginThrottle::kTries; ++i) {
    ASSERT_EQ(Call("POST", "/api/teacher/login", "not json").status, 400);
    ASSERT_EQ(Call("POST", "/api/pupil/login", "{}").status, 400);
  }
  EXPECT_EQ(Call("POST", "/api/teacher/login", Json{{"password", kTeacherPassword}}.dump()).status,
            200);
}

}  // namespace
}  // namespace dravel::hub::testing
