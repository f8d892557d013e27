// The hub's lasting state: schema versions, the grading queue across a
// restart and its leases, the entry functions, and the workers end to end
// with a fake grader.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "apps/dravel-hub/grading_queue/copy_count.h"
#include "apps/dravel-hub/hub.h"
#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/store/sqlite_db.h"
#include "hub_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub::testing {
namespace {

std::string DatabaseFile(const TempFolder& folder) {
  return HubDatabasePath(folder.Path()).string();
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
  TempFolder folder;
  const std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
  const int64_t ours = AssignmentWithPupils(*store, 1);
  const int64_t our_class = store->FindAssignment(ours)->class_id;
  const int64_t pupil = store->ClassPupils(our_class).at(0).id;
  const std::vector<int64_t> attempts = {HandIn(*store, ours, pupil, "a"),
                                         HandIn(*store, ours, pupil, "b")};
  const int64_t other_class = *store->AddClass({0, 1, "d", "OTHER2", true});
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
  TempFolder folder;
  std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
  const int64_t assignment = AssignmentWithPupils(*store, 1);
  const int64_t handin = HandIn(*store, assignment, 1, "s");
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
  TempFolder folder;
  std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
  // Two of ten share a text: a copy, not the class's common answer.
  const int64_t assignment = AssignmentWithPupils(*store, 10);
  std::vector<std::string> scripts = {"前进 10\r\n右转 90", "前进   10\r\n右转 90"};
  for (int i = 2; i < 10; ++i) scripts.push_back("左转 " + std::to_string(i));
  std::vector<int64_t> ids;
  for (int i = 0; i < 10; ++i) {
    ids.push_back(HandIn(*store, assignment, i + 1, Utf8ToGbk(scripts[i])));
  }
  RecountCopies(*store, assignment);
  EXPECT_EQ(store->FindHandin(ids[0])->copies, 1);
  EXPECT_EQ(store->FindHandin(ids[1])->copies, 1);
  EXPECT_EQ(store->FindHandin(ids[2])->copies, 0);
}

TEST(HubStore, KeepsOnlyTheNewestSessionsOfEachOwner) {
  TempFolder folder;
  StoreOpening opening = SqliteStore::Open(DatabaseFile(folder));
  ASSERT_TRUE(opening.store);
  HubStore& store = *opening.store;
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
  TempFolder folder;
  const std::filesystem::path data = folder.Path() / "hub";
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
  StoreOpening opening = SqliteStore::Open(HubDatabasePath(data).string());
  ASSERT_TRUE(opening.store);
  ASSERT_EQ(opening.store->Teachers().size(), 1u);
  EXPECT_TRUE(PasswordMatches(opening.store->Teachers()[0].password_hash, "一二三四五六七八"));
}

TEST(Hub, OpeningRefusesAFolderWithoutAHub) {
  TempFolder folder;
  RecordingWall wall;
  const Hub::Opening opening = Hub::Open(folder.Path(), 1, wall, FakeGrade);
  EXPECT_FALSE(opening.hub);
  EXPECT_FALSE(opening.error.empty());
  EXPECT_FALSE(std::filesystem::exists(HubDatabasePath(folder.Path())));
}

TEST(Hub, HandinsLeftGradingByAKilledProcessAreGradedAfterTheRestart) {
  TempFolder folder;
  ASSERT_TRUE(InitHub(folder.Path(), "a long password").ok);
  int64_t stranded = 0;
  {
    std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
    const int64_t assignment = AssignmentWithPupils(*store, 2);
    stranded = HandIn(*store, assignment, 1, "first");
    HandIn(*store, assignment, 2, "second");
    ASSERT_TRUE(store->TakeQueued(1));  // and the process dies here
  }
  RecordingWall wall;
  Hub::Opening opening = Hub::Open(folder.Path(), 2, wall, FakeGrade);
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
  std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
  EXPECT_EQ(store->FindHandin(stranded)->state, HandinState::kGraded);
  EXPECT_EQ(store->Picture(stranded, PictureKind::kPicture), "png:first");
}

TEST(Hub, AGraderThatThrowsLeavesAFailedHandinNotADeadWorker) {
  TempFolder folder;
  ASSERT_TRUE(InitHub(folder.Path(), "a long password").ok);
  {
    std::unique_ptr<SqliteStore> store = SqliteStore::Open(DatabaseFile(folder)).store;
    const int64_t assignment = AssignmentWithPupils(*store, 2);
    HandIn(*store, assignment, 1, "throw");
    HandIn(*store, assignment, 2, "fine");
  }
  RecordingWall wall;
  Hub::Opening opening =
      Hub::Open(folder.Path(), 1, wall, [](std::string_view script, const auto& references) {
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

}  // namespace
}  // namespace dravel::hub::testing
