#include "apps/dravel-hub/server/static_files.h"

#include <algorithm>
#include <iterator>
#include <system_error>

#include "apps/dravel-hub/server/page_policy.h"
#include "runtime/file_bytes.h"

namespace dravel::hub {
namespace fs = std::filesystem;
namespace {

bool PlainName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
  });
}

// The URL path of `file` under `folder`, or "" when a part of it is not a
// plain name.
std::string UrlPathOf(const fs::path& folder, const fs::path& file, std::string_view prefix) {
  std::string url(prefix);
  for (const fs::path& part : file.lexically_relative(folder)) {
    if (!PlainName(part.string())) return "";
    url += '/' + part.string();
  }
  return url;
}

// The hub's pages folder also holds their tests and tool files: only its
// own pages, styles and scripts at the top level are served.
bool IsHubPageFile(const fs::path& relative) {
  if (std::distance(relative.begin(), relative.end()) != 1) return false;
  const std::string name = relative.filename().string();
  if (name.ends_with(".config.js")) return false;
  return name.ends_with(".html") || name.ends_with(".css") || name.ends_with(".js") ||
         name.ends_with(".mjs");
}

bool IsWallPath(std::string_view path) {
  constexpr std::string_view kWall = "/wall/";
  if (!path.starts_with(kWall) || path.size() == kWall.size() || path.size() > kWall.size() + 18)
    return false;
  return std::all_of(path.begin() + kWall.size(), path.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool StaticFiles::Load(const fs::path& web_folder, const fs::path& pages_folder,
                       std::string& error) {
  files_.clear();
  bytes_ = 0;
  return AddFolder(web_folder, "", error) && AddFolder(pages_folder, "/hub", error, IsHubPageFile);
}

bool StaticFiles::AddFolder(const fs::path& folder, std::string_view url_prefix, std::string& error,
                            bool (*served)(const fs::path&)) {
  if (folder.empty()) return true;
  std::error_code code;
  fs::recursive_directory_iterator walk(folder, code), end;
  for (; !code && walk != end; walk.increment(code)) {
    if (walk->is_symlink() || !walk->is_regular_file()) continue;
    if (served != nullptr && !served(walk->path().lexically_relative(folder))) continue;
    const std::string url = UrlPathOf(folder, walk->path(), url_prefix);
    if (url.empty()) continue;
    const FileReadResult read = TryReadFileBytes(walk->path().string());
    if (!read.Ok()) {
      error = walk->path().string() + ": " + FileErrorText(read.error);
      return false;
    }
    bytes_ += read.bytes.size();
    if (files_.size() >= kMostStaticFiles || bytes_ > kMostStaticBytes) {
      error = folder.string() + ": too many files or bytes to serve";
      return false;
    }
    StaticFile file{ContentTypeOf(url), std::string(read.bytes.begin(), read.bytes.end()), ""};
    if (url.ends_with(".html")) file.policy = PagePolicy(file.body);
    files_.insert_or_assign(url, std::move(file));
  }
  if (code) error = folder.string() + ": " + code.message();
  return !code;
}

const StaticFile* StaticFiles::Find(std::string_view path) const {
  if (path == "/")
    path = "/index.html";
  else if (path == "/teacher")
    path = "/hub/teacher.html";
  else if (IsWallPath(path))
    path = "/hub/wall.html";
  auto found = files_.find(path);
  return found == files_.end() ? nullptr : &found->second;
}

}  // namespace dravel::hub
