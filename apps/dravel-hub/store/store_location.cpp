#include "apps/dravel-hub/store/store_location.h"

#include "apps/dravel-hub/store/pg_store.h"
#include "apps/dravel-hub/store/sqlite_store.h"

namespace dravel::hub {

bool IsDatabaseUrl(std::string_view location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::filesystem::path HubDatabasePath(const std::filesystem::path& data_dir) {
  return data_dir / "hub.sqlite";
}

OpenedStore OpenStore(const std::string& location) {
  if (IsDatabaseUrl(location)) {
    PgStoreOpening opening = PgStore::Open(location);
    // libpq quotes a URL it cannot read, password and all.
    for (size_t at = opening.error.find(location); at != std::string::npos;
         at = opening.error.find(location, at + 1)) {
      opening.error.replace(at, location.size(), UrlWithoutPassword(location));
    }
    return {std::move(opening.store), true, std::move(opening.error)};
  }
  StoreOpening opening = SqliteStore::Open(HubDatabasePath(location).string());
  return {std::move(opening.store), false, std::move(opening.error)};
}

std::string UrlWithoutPassword(std::string_view url) {
  std::string shown(url);
  const size_t scheme_end = shown.find("://");
  if (scheme_end == std::string::npos) return shown;
  const size_t authority = scheme_end + 3;
  const size_t at = shown.rfind('@', shown.find_first_of("/?#", authority));
  const size_t colon = shown.find(':', authority);
  if (at != std::string::npos && at >= authority && colon < at) {
    shown.replace(colon + 1, at - colon - 1, "***");
  }
  // libpq also takes the password as a query parameter.
  const size_t query = shown.find('?');
  for (size_t key = shown.find("password=", query);
       query != std::string::npos && key != std::string::npos;
       key = shown.find("password=", key + 1)) {
    if (shown[key - 1] != '?' && shown[key - 1] != '&') continue;
    const size_t value = key + 9;
    shown.replace(value, shown.find('&', value) - value, "***");
  }
  return shown;
}

}  // namespace dravel::hub
