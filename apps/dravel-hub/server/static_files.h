// The files the hub serves besides its API, read once at start: the page
// (the web build's folder, served from /) and the hub's own pages (served
// from /hub/, with /teacher giving teacher.html and /wall/ID wall.html; of
// that folder only the top level's .html, .css and .js files, not its tests
// nor its tool configuration).
// A request's path is only ever a key into this map: nothing a client sends
// becomes a file path, so a name not listed is simply not found.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace dravel::hub {

struct StaticFile {
  std::string_view content_type;
  std::string body;
  std::string policy;  // Content-Security-Policy of an HTML page, "" otherwise
};

// How much a folder may hold: more is a mistaken folder, refused at start.
inline constexpr size_t kMostStaticFiles = 4096;
inline constexpr size_t kMostStaticBytes = size_t{256} << 20;

class StaticFiles {
 public:
  // Lists both folders (either may be empty: nothing from it is served).
  // Hidden files, symbolic links and names other than letters, digits, '.',
  // '-' and '_' are left out. Returns false with `error` set (English, for
  // the log) when a folder cannot be read or holds more than the limits.
  bool Load(const std::filesystem::path& web_folder, const std::filesystem::path& pages_folder,
            std::string& error);

  // The file for a request's path (the target without its query); null when
  // there is none.
  const StaticFile* Find(std::string_view path) const;

  size_t Count() const { return files_.size(); }

 private:
  // `served`, when given, says which files (by path relative to `folder`) to list.
  bool AddFolder(const std::filesystem::path& folder, std::string_view url_prefix,
                 std::string& error, bool (*served)(const std::filesystem::path&) = nullptr);

  std::map<std::string, StaticFile, std::less<>> files_;
  size_t bytes_ = 0;
};

}  // namespace dravel::hub
