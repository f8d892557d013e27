#include "runtime/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/save_temporaries.h"

namespace dravel {
namespace {

constexpr size_t kMaxFileSize = INT32_MAX;  // lengths are 32-bit throughout
constexpr int kMaxLinkHops = 40;
constexpr size_t kReadChunk = 1 << 14;

// Reads into bytes[filled..] until the buffer is full or the file ends.
// Returns the new fill or -1 with errno set.
ssize_t ReadInto(FileSystem& fs, int fd, ByteSet& bytes, size_t filled) {
  while (filled < bytes.size()) {
    ssize_t n = fs.Read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(filled);
}

// Reads the whole file, which may have grown or shrunk since it was measured.
int ReadAll(FileSystem& fs, int fd, size_t expected, ByteSet& bytes) {
  bytes.resize(expected);
  ssize_t n = ReadInto(fs, fd, bytes, 0);
  if (n < 0) return errno;
  bytes.resize(static_cast<size_t>(n));
  if (static_cast<size_t>(n) < expected) return 0;
  uint8_t chunk[kReadChunk];
  for (;;) {
    ssize_t more = fs.Read(fd, chunk, sizeof chunk);
    if (more < 0 && errno == EINTR) continue;
    if (more < 0) return errno;
    if (more == 0) return 0;
    if (bytes.size() + static_cast<size_t>(more) > kMaxFileSize) return EFBIG;
    bytes.insert(bytes.end(), chunk, chunk + more);
  }
}

int ReadOpenFile(FileSystem& fs, int fd, ByteSet& bytes) {
  struct stat info;
  if (fstat(fd, &info) != 0) return errno;
  // A device or pipe could block or never end.
  if (!S_ISREG(info.st_mode)) return EINVAL;
  if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) return EFBIG;
  return ReadAll(fs, fd, static_cast<size_t>(info.st_size), bytes);
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links from `path` to the file they finally name, which
// need not exist yet. Returns 0 or an errno value.
int ResolveLinks(std::string& path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
    std::vector<char> link(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
    ssize_t n = readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    std::string target(link.data(), static_cast<size_t>(n));
    path = target.starts_with('/') ? target : ParentOf(path) + "/" + target;
  }
  return ELOOP;
}

int WriteBlock(FileSystem& fs, int fd, std::span<const uint8_t> block) {
  while (!block.empty()) {
    ssize_t n = fs.Write(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    block = block.subspan(static_cast<size_t>(n));
  }
  return 0;
}

// Gives the new file the old one's owner, where allowed (an ordinary user
// saving someone else's file becomes its owner, as with any new file), then
// its permissions, which a change of owner may have cleared.
int CopyAttributes(int fd, const struct stat& old_info) {
  [[maybe_unused]] int ignored = fchown(fd, old_info.st_uid, old_info.st_gid);
  return fchmod(fd, old_info.st_mode & 07777) == 0 ? 0 : errno;
}

int WriteContents(FileSystem& fs, int fd, std::span<const std::span<const uint8_t>> blocks) {
  for (std::span<const uint8_t> block : blocks) {
    if (int error = WriteBlock(fs, fd, block); error != 0) return error;
  }
  return fs.Fsync(fd) == 0 ? 0 : errno;
}

// Makes the rename itself durable; a failure here loses nothing already
// written, so it is not reported.
void SyncFolder(const std::string& target) {
  int fd = ::open(ParentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Links were resolved before, if they were to be followed: a link here is
// one to refuse, or one that came since.
int CheckTarget(const std::string& target, struct stat& info, bool& exists) {
  if (target.empty() || target.ends_with('/')) return EISDIR;
  exists = ::lstat(target.c_str(), &info) == 0;
  if (!exists) return errno == ENOENT ? 0 : errno;
  if (S_ISLNK(info.st_mode)) return ELOOP;
  return S_ISREG(info.st_mode) ? 0 : (S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
}

size_t TotalSize(std::span<const std::span<const uint8_t>> blocks) {
  size_t total = 0;
  for (std::span<const uint8_t> block : blocks) total += block.size();
  return total;
}

// For a file the user may write in a folder that refuses new files: the bytes
// go over the old ones. Space is reserved first, so a full disk leaves the old
// file as it was; the length is set after the bytes are in place. What was
// checked may have been swapped for a link or a pipe since: neither is
// written through, nor waited on.
int WriteInPlace(FileSystem& fs, const std::string& target,
                 std::span<const std::span<const uint8_t>> blocks) {
  const int fd =
      fs.Open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0);
  if (fd < 0) return errno;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    fs.Close(fd);
    return EINVAL;
  }
  const auto size = static_cast<off_t>(TotalSize(blocks));
  int error = size > 0 ? posix_fallocate(fd, 0, size) : 0;
  if (error == EOPNOTSUPP || error == EINVAL) error = 0;
  if (error == 0) {
    for (std::span<const uint8_t> block : blocks) {
      if ((error = WriteBlock(fs, fd, block)) != 0) break;
    }
  }
  if (error == 0 && ftruncate(fd, size) != 0) error = errno;
  if (error == 0 && fs.Fsync(fd) != 0) error = errno;
  if (fs.Close(fd) != 0 && error == 0) error = errno;
  return error;
}

int ReplaceFile(FileSystem& fs, const std::string& target,
                std::span<const std::span<const uint8_t>> blocks) {
  struct stat info;
  bool exists = false;
  if (int error = CheckTarget(target, info, exists); error != 0) return error;
  const std::string folder = FolderPrefixOf(target);
  RemoveStaleTemporaries(folder, target.substr(folder.size()));
  std::string temp_path;
  int fd = CreateSaveTemporary(fs, folder, temp_path);
  if (fd < 0) {
    const int error = errno;
    const bool folder_refuses = error == EACCES || error == EPERM;
    return exists && folder_refuses ? WriteInPlace(fs, target, blocks) : error;
  }
  int error = exists ? CopyAttributes(fd, info) : 0;
  if (error == 0) error = WriteContents(fs, fd, blocks);
  if (fs.Close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && fs.Rename(temp_path.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp_path.c_str());
    return error;
  }
  SyncFolder(target);
  return 0;
}

FileWriteResult WriteBlocks(std::string_view name, std::span<const std::span<const uint8_t>> blocks,
                            LinkAtName link) {
  std::string path(UpToZero(name));
  if (path.empty()) return {EINVAL};
  if (link == LinkAtName::kFollow) {
    if (int error = ResolveLinks(path); error != 0) return {error};
  }
  return {ReplaceFile(CurrentFileSystem(), path, blocks)};
}

}  // namespace

std::string FileErrorText(int error) { return std::generic_category().message(error); }

FileReadResult TryReadFileBytes(std::string_view name) {
  std::string path(UpToZero(name));
  if (path.empty()) return {{}, EINVAL};
  FileSystem& fs = CurrentFileSystem();
  // Non-blocking so that opening a pipe cannot wait for a writer.
  int fd = fs.Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return {{}, errno};
  FileReadResult result;
  result.error = ReadOpenFile(fs, fd, result.bytes);
  fs.Close(fd);
  if (result.error != 0) result.bytes = {};
  return result;
}

ByteSet ReadFileBytes(std::string_view name) { return TryReadFileBytes(name).bytes; }

FileWriteResult TryWriteFileBytes(std::string_view name,
                                  std::initializer_list<std::span<const uint8_t>> blocks,
                                  LinkAtName link) {
  return WriteBlocks(name, std::span(blocks.begin(), blocks.size()), link);
}

FileWriteResult TryWriteFileBytes(std::string_view name, std::span<const uint8_t> block,
                                  LinkAtName link) {
  return WriteBlocks(name, std::span(&block, 1), link);
}

bool WriteFileBytes(std::string_view name, std::initializer_list<std::span<const uint8_t>> blocks) {
  return TryWriteFileBytes(name, blocks).Ok();
}

bool WriteFileBytes(std::string_view name, std::span<const uint8_t> block) {
  return TryWriteFileBytes(name, block).Ok();
}

}  // namespace dravel
