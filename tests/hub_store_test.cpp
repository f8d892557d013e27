// The hub's lasting state: schema versions, the grading queue across a
// restart and its leases, the entry functions, and the workers end to end
// with a fake grader; on the test server too (hub_test_fixture.h), where
// two stores on one database stand for two hub processes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <pqxx/pqxx>

#include <algorithm>
#include <thread>

#include "apps/dravel-hub/grading_queue/copy_count.h"
#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/security/login_throttle.h"
#include "apps/dravel-hub/store/sqlite_db.h"
#include "apps/dravel-hub/store/sqlite_store.h"
#include "hub_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub::testing {
namespace {

std::string DatabaseFile(const TempFolder& folder) {
  return HubDatabasePath(folder.Path()).string();
}

// The hub at `location`: its folder's own subfolder, or its database.
std::string HubLocation(const TestLocation& location) {
  return location.OnServer() ? location.Location() : (location.Folder() / "hub").string();
}

// A class with `pupils` pupils numbered 1, 2, ... and one assignment; its id.
int64_t AssignmentWithPupils(HubStore& store, int pupils) {
  const int64_t group =
      *store.AddClass({0, *store.AddTeacher("t", "h", false), "c", "JOIN23", true});
  std::vector<PupilRecord> records;
  for (int i = 1; i <= pupils; ++i) records.push_back({0, group, std::to_string(i), "p", "123456"});
  store.AddPupils(group, records);
  AssignmentRecord assignment;
  assignment.class_id = group;
  assignment.title = "a";
  assignment.references = {"ref"};
  return store.AddAssignment(assignment);
}

int64_t HandIn(HubStore& store, int64_t assignment, int64_t pupil, const std::string& script) {
  HandinRecord handin;
  handin.assignment_id = assignment;
  handin.pupil_id = pupil;
  handin.script = script;
  return *store.AddHandin(handin, false);
}

TEST(HubStore, RefusesADatabaseFromANewerProgram) {
  TempFolder folder;
  ASSERT_TRUE(SqliteStore::Open(DatabaseFile(folder)).store);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(DatabaseFile(folder).c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const StoreOpening opening = SqliteStore::Open(DatabaseFile(folder));
  EXPECT_FALSE(opening.store);
  EXPECT_NE(opening.error.find("99"), std::string::npos) << opening.error;
}

// A hand-in's 201 waits for a synced commit: an unsynced one, kept or
// rolled back, must leave the connection syncing again.
TEST(HubStore, AnUnsyncedTransactionLeavesCommitsSyncedAfterIt) {
  TempFolder folder;
  SqliteDb db(DatabaseFile(folder));
  const auto synchronous = [&db] {
    Statement pragma(db, "PRAGMA synchronous");
    pragma.Step();
    return pragma.Int(0);
  };
  constexpr int kFull = 2;
  ASSERT_EQ(synchronous(), kFull);
  {
    Transaction kept(db, Sync::kUnsynced);
    kept.Commit();
  }
  EXPECT_EQ(synchronous(), kFull) << "after a commit";
  { Transaction dropped(db, Sync::kUnsynced); }
  EXPECT_EQ(synchronous(), kFull) << "after a rollback";
}

TEST(HubStore, ClassHandinsHoldEveryAttemptOfThatClassAlone) {
  TestLocation location;
  const std::unique_ptr<HubStore> store = OpenTestStore(location);
  const int64_t ours = AssignmentWithPupils(*store, 1);
  const int64_t our_class = store->FindAssignment(ours)->class_id;
  const int64_t pupil = store->ClassPupils(our_class).at(0).id;
  const std::vector<int64_t> attempts = {HandIn(*store, ours, pupil, "a"),
                                         HandIn(*store, ours, pupil, "b")};
  const int64_t other_class =
      *store->AddClass({0, store->Teachers().at(0).id, "d", "OTHER2", true});
  store->AddPupils(other_class, {{0, other_class, "1", "q", "654321"}});
  AssignmentRecord theirs;
  theirs.class_id = other_class;
  theirs.title = "x";
  theirs.references = {"r"};
  HandIn(*store, store->AddAssignment(theirs), store->ClassPupils(other_class).at(0).id, "c");
  std::vector<int64_t> found;
  for (const HandinRecord& handin : store->ClassHandins(our_class)) found.push_back(handin.id);
  EXPECT_EQ(found, attempts);
}

TEST(HubStore, RefusesAFileThatIsNotADatabase) {
  TempFolder folder;
  std::FILE* file = std::fopen(DatabaseFile(folder).c_str(), "wb");
  std::fputs("just some text, long enough to be read as a header........................", file);
  std::fclose(file);
  EXPECT_FALSE(SqliteStore::Open(DatabaseFile(folder)).error.empty());
}

TEST(HubStore, AnOutcomeFromAnOutdatedLeaseIsDropped) {
  TestLocation location;
  std::unique_ptr<HubStore> store = OpenTestStore(location);
  const int64_t assignment = AssignmentWithPupils(*store, 1);
  const int64_t pupil = store->ClassPupils(store->FindAssignment(assignment)->class_id).at(0).id;
  const int64_t handin = HandIn(*store, assignment, pupil, "s");
  const std::optional<GradingJob> old_job = store->TakeQueued(10);
  ASSERT_TRUE(old_job);
  EXPECT_FALSE(store->TakeQueued(10));  // no hand-in is taken twice
  store->ReplaceReferences(assignment, {"new ref"});
  EXPECT_FALSE(store->StoreOutcome(*old_job, FakeGrade("s", {})));
  const std::optional<GradingJob> new_job = store->TakeQueued(11);
  ASSERT_TRUE(new_job);
  EXPECT_EQ(new_job->references, std::vector<std::string>{"new ref"});
  EXPECT_TRUE(store->StoreOutcome(*new_job, FakeGrade("s", {})));
  EXPECT_EQ(store->FindHandin(handin)->state, HandinState::kGraded);
  EXPECT_EQ(store->Picture(handin, PictureKind::kPicture), "png:s");
}

TEST(HubStore, CopiesAreGroupedAmongTheLatestHandins) {
  TestLocation location;
  std::unique_ptr<HubStore> store = OpenTestStore(location);
  // Two of ten share a text: a copy, not the class's common answer.
  const int64_t assignment = AssignmentWithPupils(*store, 10);
  const std::vector<PupilRecord> pupils =
      store->ClassPupils(store->FindAssignment(assignment)->class_id);
  std::vector<std::string> scripts = {"前进 10\r\n右转 90", "前进   10\r\n右转 90"};
  for (int i = 2; i < 10; ++i) scripts.push_back("左转 " + std::to_string(i));
  std::vector<int64_t> ids;
  for (int i = 0; i < 10; ++i) {
    ids.push_back(HandIn(*store, assignment, pupils.at(i).id, Utf8ToGbk(scripts[i])));
  }
  RecountCopies(*store, assignment);
  EXPECT_EQ(store->FindHandin(ids[0])->copies, 1);
  EXPECT_EQ(store->FindHandin(ids[1])->copies, 1);
  EXPECT_EQ(store->FindHandin(ids[2])->copies, 0);
}

TEST(HubStore, KeepsOnlyTheNewestSessionsOfEachOwner) {
  TestLocation location;
  const std::unique_ptr<HubStore> opened = OpenTestStore(location);
  ASSERT_TRUE(opened);
  HubStore& store = *opened;
  const int64_t now = 1000;
  auto hash = [](int i) { return "pupil-" + std::to_string(i); };
  store.AddSession({"teacher", SessionRole::kTeacher, 1, now + 100}, now);
  for (int i = 0; i < kMostSessionsPerOwner + 5; ++i) {
    store.AddSession({hash(i), SessionRole::kPupil, 1, now + 100 + i}, now);
  }
  struct Row {
    std::string token_hash;
    bool kept;
  } rows[] = {
      {hash(0), false},  {hash(4), false}, {hash(5), true}, {hash(kMostSessionsPerOwner + 4), true},
      {"teacher", true},  // the same id, but another role
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.token_hash);
    EXPECT_EQ(store.FindSession(row.token_hash, now).has_value(), row.kept);
  }
}

TEST(InitHub, RefusesShortPasswordsAndFoldersThatHoldAHub) {
  TestLocation location;
  const std::string data = HubLocation(location);
  struct Row {
    const char* name;
    std::string password;
    bool ok;
  } rows[] = {
      {"seven characters", "1234567", false},
      {"eight Chinese characters", "一二三四五六七八", true},
      {"a second time", "another password", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(InitHub(data, row.password).ok, row.ok);
  }
  OpenedStore opened = OpenStore(data);
  ASSERT_TRUE(opened.store);
  ASSERT_EQ(opened.store->Teachers().size(), 1u);
  EXPECT_TRUE(PasswordMatches(opened.store->Teachers()[0].password_hash, "一二三四五六七八"));
}

TEST(Hub, OpeningRefusesAPlaceWithoutAHub) {
  TestLocation location;
  RecordingWall wall;
  const Hub::Opening opening = Hub::Open(location.Location(), 1, wall, FakeGrade);
  EXPECT_FALSE(opening.hub);
  EXPECT_FALSE(opening.error.empty());
  EXPECT_FALSE(std::filesystem::exists(HubDatabasePath(location.Folder())));
}

// On a shared database its lease, taken long ago, has lapsed.
TEST(Hub, HandinsLeftGradingByAKilledProcessAreGradedAfterTheRestart) {
  TestLocation location;
  ASSERT_TRUE(InitHub(location.Location(), "a long password").ok);
  int64_t stranded = 0;
  {
    std::unique_ptr<HubStore> store = OpenTestStore(location);
    const int64_t assignment = AssignmentWithPupils(*store, 2);
    const std::vector<PupilRecord> pupils =
        store->ClassPupils(store->FindAssignment(assignment)->class_id);
    stranded = HandIn(*store, assignment, pupils.at(0).id, "first");
    HandIn(*store, assignment, pupils.at(1).id, "second");
    ASSERT_TRUE(store->TakeQueued(1));  // and the process dies here
  }
  RecordingWall wall;
  Hub::Opening opening = Hub::Open(location.Location(), 2, wall, FakeGrade);
  ASSERT_TRUE(opening.hub) << opening.error;
  opening.hub->Start();
  const std::vector<Json> messages = wall.WaitFor(2);
  opening.hub->Stop();
  ASSERT_EQ(messages.size(), 2u);
  for (const Json& message : messages) {
    EXPECT_EQ(message["state"], "graded");
    EXPECT_EQ(message["score"], 80.0);
    EXPECT_EQ(
        message["picture"],
        "/api/handins/" + std::to_string(message["handin_id"].get<int64_t>()) + "/picture.png");
  }
  std::unique_ptr<HubStore> store = OpenTestStore(location);
  EXPECT_EQ(store->FindHandin(stranded)->state, HandinState::kGraded);
  EXPECT_EQ(store->Picture(stranded, PictureKind::kPicture), "png:first");
}

TEST(Hub, AGraderThatThrowsLeavesAFailedHandinNotADeadWorker) {
  TestLocation location;
  ASSERT_TRUE(InitHub(location.Location(), "a long password").ok);
  {
    std::unique_ptr<HubStore> store = OpenTestStore(location);
    const int64_t assignment = AssignmentWithPupils(*store, 2);
    const std::vector<PupilRecord> pupils =
        store->ClassPupils(store->FindAssignment(assignment)->class_id);
    HandIn(*store, assignment, pupils.at(0).id, "throw");
    HandIn(*store, assignment, pupils.at(1).id, "fine");
  }
  RecordingWall wall;
  Hub::Opening opening =
      Hub::Open(location.Location(), 1, wall, [](std::string_view script, const auto& references) {
        if (script == "throw") throw std::runtime_error("child would not start");
        return FakeGrade(script, references);
      });
  ASSERT_TRUE(opening.hub);
  opening.hub->Start();
  const std::vector<Json> messages = wall.WaitFor(2);
  opening.hub->Stop();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0]["state"], "failed");
  EXPECT_EQ(messages[1]["state"], "graded");
}

// A message quoting a script's NUL would be refused by a server database
// at every try, and the hand-in taken again for ever.
TEST(Hub, AMessageHoldingANulIsKeptWithoutIt) {
  TestLocation location;
  ASSERT_TRUE(InitHub(location.Location(), "a long password").ok);
  int64_t handin = 0;
  {
    std::unique_ptr<HubStore> store = OpenTestStore(location);
    const int64_t assignment = AssignmentWithPupils(*store, 1);
    handin = HandIn(*store, assignment,
                    store->ClassPupils(store->FindAssignment(assignment)->class_id).at(0).id, "s");
  }
  RecordingWall wall;
  Hub::Opening opening =
      Hub::Open(location.Location(), 1, wall, [](std::string_view script, const auto& references) {
        GradeOutcome outcome = FakeGrade(script, references);
        outcome.last_message = std::string("第 1 行：\0", 13);
        return outcome;
      });
  ASSERT_TRUE(opening.hub) << opening.error;
  opening.hub->Start();
  const std::vector<Json> messages = wall.WaitFor(1);
  opening.hub->Stop();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(OpenTestStore(location)->FindHandin(handin)->last_message, "第 1 行：?");
}

// Two stores on one database stand for two hub processes.
TEST(HubStore, ALapsedLeaseIsTakenAgainAndItsOldGradersOutcomeRefused) {
  TestLocation location;
  const std::unique_ptr<HubStore> first = OpenTestStore(location);
  const std::unique_ptr<HubStore> second = OpenTestStore(location);
  const int64_t assignment = AssignmentWithPupils(*first, 1);
  const int64_t pupil = first->ClassPupils(first->FindAssignment(assignment)->class_id).at(0).id;
  const int64_t handin = HandIn(*first, assignment, pupil, "s");
  constexpr int64_t kTaken = 1000, kRenewed = kTaken + kLeaseSeconds;
  const std::optional<GradingJob> old_job = first->TakeQueued(kTaken);
  ASSERT_TRUE(old_job);
  EXPECT_TRUE(first->RenewLease(*old_job, kRenewed));
  EXPECT_FALSE(second->TakeQueued(kRenewed + kLeaseSeconds)) << "the renewed lease still holds";
  const std::optional<GradingJob> new_job = second->TakeQueued(kRenewed + kLeaseSeconds + 1);
  ASSERT_TRUE(new_job);
  EXPECT_EQ(new_job->handin.id, handin);
  EXPECT_FALSE(first->RenewLease(*old_job, kRenewed + kLeaseSeconds + 2));
  EXPECT_FALSE(first->StoreOutcome(*old_job, FakeGrade("old", {})));
  EXPECT_TRUE(second->StoreOutcome(*new_job, FakeGrade("s", {})));
  EXPECT_EQ(first->Picture(handin, PictureKind::kPicture), "png:s");
}

TEST(HubStore, LoginTriesAreCountedAcrossStores) {
  TestLocation location;
  const std::unique_ptr<HubStore> first = OpenTestStore(location);
  const std::unique_ptr<HubStore> second = OpenTestStore(location);
  LoginThrottle through_first(*first, "teacher"), through_second(*second, "teacher");
  for (int i = 0; i < LoginThrottle::kTries; ++i) {
    ASSERT_TRUE((i % 2 ? through_first : through_second).TakeTry("10.0.0.7", 5));
  }
  EXPECT_FALSE(through_first.TakeTry("10.0.0.7", 6));
  EXPECT_FALSE(through_second.TakeTry("10.0.0.7", 6));
}

TEST(SharedDatabase, TwoStoresNeverTakeTheSameHandin) {
  TestLocation location;
  if (!location.OnServer()) GTEST_SKIP() << "DRAVEL_HUB_TEST_DATABASE names no server";
  const std::unique_ptr<HubStore> stores[] = {OpenTestStore(location), OpenTestStore(location)};
  constexpr int kHandins = 40, kTakers = 4;
  const int64_t assignment = AssignmentWithPupils(*stores[0], kHandins);
  for (const PupilRecord& pupil :
       stores[0]->ClassPupils(stores[0]->FindAssignment(assignment)->class_id)) {
    HandIn(*stores[0], assignment, pupil.id, "s");
  }
  std::vector<int64_t> taken[kTakers];
  {
    std::vector<std::jthread> takers;
    for (int i = 0; i < kTakers; ++i) {
      takers.emplace_back([&, i] {
        while (const auto job = stores[i % 2]->TakeQueued(100)) taken[i].push_back(job->handin.id);
      });
    }
  }
  std::vector<int64_t> all;
  for (const auto& ids : taken) all.insert(all.end(), ids.begin(), ids.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(kHandins));
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "a hand-in taken twice";
}

TEST(SharedDatabase, ProcessesStartingTogetherEachFindTheSchemaWhole) {
  TestLocation location;
  if (!location.OnServer()) GTEST_SKIP() << "DRAVEL_HUB_TEST_DATABASE names no server";
  OpenedStore opened[3];
  {
    std::vector<std::jthread> starts;
    for (OpenedStore& store : opened) {
      starts.emplace_back([&] { store = OpenStore(location.Location()); });
    }
  }
  for (const OpenedStore& store : opened) {
    ASSERT_TRUE(store.store) << store.error;
    EXPECT_TRUE(store.shared);
  }
  EXPECT_TRUE(opened[0].store->Teachers().empty());
}

TEST(SharedDatabase, RefusesADatabaseFromANewerProgram) {
  TestLocation location;
  if (!location.OnServer()) GTEST_SKIP() << "DRAVEL_HUB_TEST_DATABASE names no server";
  ASSERT_TRUE(OpenTestStore(location));
  pqxx::connection connection(location.Location());
  pqxx::nontransaction(connection).exec("UPDATE dravel_schema_version SET version = 99");
  const OpenedStore opened = OpenStore(location.Location());
  EXPECT_FALSE(opened.store);
  EXPECT_NE(opened.error.find("99"), std::string::npos) << opened.error;
}

}  // namespace
}  // namespace dravel::hub::testing
