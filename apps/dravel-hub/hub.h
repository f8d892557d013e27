// The hub as the program starts it: InitHub makes a data folder with its
// database and first teacher; Hub opens such a folder and owns the store,
// the API the server calls and the grading workers. The server (main.cpp)
// builds on these two and nothing below them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "apps/dravel-hub/api/hub_api.h"
#include "apps/dravel-hub/grading_queue/grading_queue.h"
#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/store/sqlite_store.h"

namespace dravel::hub {

// Passwords shorter than this many characters are refused.
inline constexpr size_t kShortestPassword = 8;

// Why `password` (UTF-8) cannot be the teacher's: too short, or holding a
// control character; "" when it can.
std::string PasswordRefusal(std::string_view password);

// Why `name` (UTF-8, as typed) cannot be a teacher's name: empty, too
// long, not UTF-8, or holding a control character; "" when it can. Names
// are kept and looked up trimmed of spaces (TeacherName).
std::string TeacherNameRefusal(std::string_view name);
std::string_view TeacherName(std::string_view typed);

struct HubSetup {
  bool ok = false;
  std::string message;  // Chinese, for the teacher: what was done or why not
};

// Creates `data_dir` (readable by its owner alone) with a new database and
// the first teacher, whose password is `password`. Refuses a short
// password and a folder that already holds a hub, leaving it untouched.
HubSetup InitHub(const std::filesystem::path& data_dir, std::string_view password);

// Adds a teacher named `name` (trimmed) with `password` to `store`; refuses
// a name or password the rules above refuse and a name already taken,
// keeping nothing.
HubSetup AddHubTeacher(HubStore& store, std::string_view name, std::string_view password,
                       bool admin);

// The store of the hub InitHub made in `data_dir`; null with the error set
// when there is none there or it cannot be opened.
StoreOpening OpenHubStore(const std::filesystem::path& data_dir);

class Hub {
 public:
  struct Opening {
    std::unique_ptr<Hub> hub;
    std::string error;  // Chinese; set when hub is null
  };

  // Opens the hub InitHub made in `data_dir`, queueing again what a killed
  // process left half graded; `jobs` grading workers once started.
  static Opening Open(const std::filesystem::path& data_dir, int jobs, WallFeed& wall,
                      Grader grader);
  ~Hub();

  HubHandler& Handler() { return api_; }
  void Start() { queue_.Start(); }
  // Stops the grading workers, waiting for the hand-ins being graded.
  // Handler() still answers; new hand-ins wait queued for the next start.
  void Stop() { queue_.Stop(); }

 private:
  Hub(std::unique_ptr<SqliteStore> store, int jobs, WallFeed& wall, Grader grader);

  std::unique_ptr<SqliteStore> store_;
  GradingQueue queue_;
  HubApi api_;
};

// The database file in a hub's data folder.
std::filesystem::path HubDatabasePath(const std::filesystem::path& data_dir);

}  // namespace dravel::hub
