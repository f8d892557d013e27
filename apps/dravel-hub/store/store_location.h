// Where a hub keeps its data, and the one way to open it from there: a
// data folder holds a SQLite file (one hub process at a time), a
// postgresql:// URL names a server's database that any number of hub
// processes share. Everything above this seam sees a HubStore.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

struct OpenedStore {
  std::unique_ptr<HubStore> store;
  // Other processes may use the database at once: hand-ins they leave
  // grading are alive, and work they queue arrives unannounced.
  bool shared = false;
  std::string error;  // Chinese, for the teacher; set when store is null
};

// True for a postgresql:// (or postgres://) URL, false for a folder.
bool IsDatabaseUrl(std::string_view location);

// The database file in a hub's data folder.
std::filesystem::path HubDatabasePath(const std::filesystem::path& data_dir);

// Opens the store at `location` (a data folder, whose database file is
// made when absent, or a URL), its schema brought up to date.
OpenedStore OpenStore(const std::string& location);

// `url` with its password, if any, shown as ***: for messages and logs.
std::string UrlWithoutPassword(std::string_view url);

}  // namespace dravel::hub
