#include "runtime/save_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <random>
#include <string_view>

namespace dravel {
namespace {

constexpr std::string_view kPrefix = ".dravel-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::string_view kOldMarker = ".saving-";
constexpr int kRandomLength = 6;
constexpr int kAttempts = 100;

std::string RandomPart() {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}() ^ static_cast<unsigned>(getpid())};
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
  std::string part(kRandomLength, ' ');
  for (char& c : part) c = kAlphabet[pick(generator)];
  return part;
}

// The number that `digits` spells in full, or 0.
pid_t ParsePid(std::string_view digits) {
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  return error == std::errc() && end == digits.data() + digits.size() ? pid : 0;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The saving process's id in a name of ours, or 0 when the name is not ours.
pid_t PidOfTemporary(std::string_view name, std::string_view target_name) {
  if (name.starts_with(kPrefix) && name.ends_with(kSuffix)) {
    const std::string_view middle =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const size_t dash = middle.rfind('-');
    if (dash == std::string_view::npos || middle.size() - dash - 1 != kRandomLength) return 0;
    return ParsePid(middle.substr(0, dash));
  }
  // Appended piece by piece: GCC 12's -Wrestrict misreads the chained operator+ at -O3.
  std::string old_start(".");
  old_start += target_name;
  old_start += kOldMarker;
  if (!name.starts_with(old_start)) return 0;
  const std::string_view rest = name.substr(old_start.size());
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || !AllDigits(rest.substr(dash + 1))) return 0;
  return ParsePid(rest.substr(0, dash));
}

bool ProcessIsGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string FolderPrefixOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int CreateSaveTemporary(FileSystem& fs, const std::string& folder_prefix, std::string& temp_path,
                        mode_t mode) {
  const std::string start = folder_prefix + std::string(kPrefix) + std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    temp_path = start + RandomPart() + std::string(kSuffix);
    const int fd = fs.Open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void RemoveStaleTemporaries(const std::string& folder_prefix, const std::string& target_name) {
  const std::string folder = folder_prefix.empty() ? "." : folder_prefix;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const int dir_fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const pid_t pid = PidOfTemporary(entry->d_name, target_name);
    // Our own process may be saving on another thread.
    if (pid <= 0 || pid == getpid() || !ProcessIsGone(pid)) continue;
    struct stat info;
    if (fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_uid != geteuid()) continue;
    unlinkat(dir_fd, entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace dravel
