// The hub as the program starts it: InitHub makes a hub's database (in a
// data folder, or on a PostgreSQL server) with its first teacher; Hub opens
// one and owns the store, the API the server calls and the grading
// workers. The server (main.cpp) builds on these two and nothing below
// them. A location is what store_location.h opens: a folder or a URL.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "apps/dravel-hub/api/hub_api.h"
#include "apps/dravel-hub/grading_queue/grading_queue.h"
#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/store/store_location.h"

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

// Makes the hub at `location` with the first teacher, whose password is
// `password`: a data folder is created (readable by its owner alone) with a
// new database; a server's database gets the hub's tables. Refuses a short
// password and a location that already holds a hub, leaving it untouched.
HubSetup InitHub(const std::string& location, std::string_view password);

// Adds a teacher named `name` (trimmed) with `password` to `store`; refuses
// a name or password the rules above refuse and a name already taken,
// keeping nothing.
HubSetup AddHubTeacher(HubStore& store, std::string_view name, std::string_view password,
                       bool admin);

// The store of the hub InitHub made at `location`; null with the error set
// when there is none there or it cannot be opened.
OpenedStore OpenHubStore(const std::string& location);

class Hub {
 public:
  struct Opening {
    std::unique_ptr<Hub> hub;
    std::string error;  // Chinese; set when hub is null
  };

  // Opens the hub InitHub made at `location`; `jobs` grading workers once
  // started. A data folder's hub queues again what a killed process left
  // half graded; on a shared database the leases do that, since the other
  // processes' gradings are alive.
  static Opening Open(const std::string& location, int jobs, WallFeed& wall, Grader grader);
  ~Hub();

  HubHandler& Handler() { return api_; }
  void Start() { queue_.Start(); }
  // Stops the grading workers, waiting for the hand-ins being graded.
  // Handler() still answers; new hand-ins wait queued for the next start.
  void Stop() { queue_.Stop(); }

 private:
  Hub(OpenedStore opened, int jobs, WallFeed& wall, Grader grader);

  std::unique_ptr<HubStore> store_;
  GradingQueue queue_;
  HubApi api_;
};

}  // namespace dravel::hub
