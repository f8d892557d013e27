#include "runtime/recovery_copy.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>

#include "runtime/file_io.h"
#include "runtime/save_temporaries.h"
#include "runtime/text.h"

namespace dravel {
namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;
constexpr const char* kCopiesFolder = "dravel/recovery/";

// The cache folder with its trailing slash, "" when there is no home.
std::string CacheFolder() {
  const char* cache = getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/";
  const char* home = getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + "/.cache/";
}

// Creates `folder` private, or accepts it when it is already a folder of the
// user's (narrowing it to the user alone). 0 or an errno value.
int MakePrivateFolder(FileSystem& fs, const std::string& folder) {
  if (fs.Mkdir(folder.c_str(), kPrivateFolder) == 0) return 0;
  if (errno != EEXIST) return errno;
  struct stat info;
  if (lstat(folder.c_str(), &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  if (info.st_uid != geteuid()) return EACCES;
  if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), kPrivateFolder) != 0) return errno;
  return 0;
}

// Makes the folder copies live in; `prefix` gets it with its trailing slash.
int MakeRecoveryFolder(FileSystem& fs, std::string& prefix) {
  const std::string cache = CacheFolder();
  if (cache.empty()) return ENOENT;
  if (fs.Mkdir(cache.c_str(), kPrivateFolder) != 0 && errno != EEXIST) return errno;
  for (const char* part : {"dravel/", kCopiesFolder}) {
    if (int error = MakePrivateFolder(fs, cache + part); error != 0) return error;
  }
  prefix = cache + kCopiesFolder;
  return 0;
}

std::string CanonicalPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string canonical(resolved);
  free(resolved);
  return canonical;
}

// FNV-1a, 64 bits: a name, not a guard; the header tells files apart.
std::string CopyName(const std::string& canonical) {
  uint64_t hash = 14695981039346656037u;
  for (const char c : canonical) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
  char name[32];
  std::snprintf(name, sizeof name, "%016" PRIx64 ".copy", hash);
  return name;
}

// Where the copy for `canonical` lives; "" when there is no home.
std::string CopyPathFor(const std::string& canonical) {
  const std::string cache = CacheFolder();
  return cache.empty() ? std::string() : cache + kCopiesFolder + CopyName(canonical);
}

std::string Header(const std::string& canonical) {
  return "dravel recovery copy\n" + std::to_string(canonical.size()) + "\n" + canonical + "\n";
}

std::span<const uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Writes the copy under a temporary name and renames it into place once it
// is on disk, so a copy under its own name is always whole.
int WriteCopy(FileSystem& fs, const std::string& folder, const std::string& canonical,
              std::span<const uint8_t> old_bytes) {
  RemoveStaleTemporaries(folder, "");
  std::string temp_path;
  const int fd = CreateSaveTemporary(fs, folder, temp_path, kPrivateFile);
  if (fd < 0) return errno;
  const std::string header = Header(canonical);
  const std::span<const uint8_t> blocks[] = {BytesOf(header), old_bytes};
  int error = WriteBlocks(fs, fd, blocks);
  if (error == 0 && fs.Fsync(fd) != 0) error = errno;
  if (fs.Close(fd) != 0 && error == 0) error = errno;
  const std::string copy_path = CopyPathFor(canonical);
  if (error == 0 && fs.Rename(temp_path.c_str(), copy_path.c_str()) != 0) error = errno;
  if (error != 0) {
    fs.Unlink(temp_path.c_str());
    return error;
  }
  SyncFolderOf(copy_path);
  return 0;
}

}  // namespace

int KeepRecoveryCopy(FileSystem& fs, const std::string& target,
                     std::span<const uint8_t> old_bytes) {
  const std::string canonical = CanonicalPath(target);
  if (canonical.empty()) return errno;
  std::string folder;
  if (int error = MakeRecoveryFolder(fs, folder); error != 0) return error;
  return WriteCopy(fs, folder, canonical, old_bytes);
}

void DropRecoveryCopy(FileSystem& fs, const std::string& target) {
  const std::string canonical = CanonicalPath(target);
  const std::string copy_path = canonical.empty() ? std::string() : CopyPathFor(canonical);
  if (!copy_path.empty()) fs.Unlink(copy_path.c_str());
}

std::optional<RecoveryCopy> FindRecoveryCopy(std::string_view name) {
  const std::string canonical = CanonicalPath(std::string(UpToZero(name)));
  RecoveryCopy copy{canonical.empty() ? std::string() : CopyPathFor(canonical), {}};
  if (copy.path.empty()) return std::nullopt;
  if (ReadWholeFile(CurrentFileSystem(), copy.path, copy.bytes) != 0) return std::nullopt;
  const std::string header = Header(canonical);
  if (copy.bytes.size() < header.size() ||
      !std::equal(header.begin(), header.end(), copy.bytes.begin())) {
    return std::nullopt;
  }
  copy.bytes.erase(copy.bytes.begin(), copy.bytes.begin() + std::ptrdiff_t(header.size()));
  return copy;
}

}  // namespace dravel
