#include "runtime/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>
#include <vector>

#include "runtime/file_io.h"
#include "runtime/file_system.h"
#include "runtime/recovery_copy.h"
#include "runtime/save_temporaries.h"

namespace dravel {
namespace {

constexpr int kMaxLinkHops = 40;

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
    path = target.starts_with('/') ? target : FolderPrefixOf(path) + target;
  }
  return ELOOP;
}

// Gives the new file the old one's owner, where allowed (an ordinary user
// saving someone else's file becomes its owner, as with any new file), then
// its permissions, which a change of owner may have cleared.
int CopyAttributes(int fd, const struct stat& old_info) {
  [[maybe_unused]] int ignored = fchown(fd, old_info.st_uid, old_info.st_gid);
  return fchmod(fd, old_info.st_mode & 07777) == 0 ? 0 : errno;
}

int WriteContents(FileSystem& fs, int fd, std::span<const std::span<const uint8_t>> blocks) {
  if (int error = WriteBlocks(fs, fd, blocks); error != 0) return error;
  return fs.Fsync(fd) == 0 ? 0 : errno;
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

// Writes the blocks over the file's bytes from its start. Space is reserved
// first, so a full disk leaves the old bytes as they were; the length is set
// after the bytes are in place. What was checked may have been swapped for a
// link or a pipe since: neither is written through, nor waited on.
int Overwrite(FileSystem& fs, const std::string& target,
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
  int error = size > 0 ? fs.PosixFallocate(fd, 0, size) : 0;
  if (error == EOPNOTSUPP || error == EINVAL) error = 0;
  if (error == 0) error = WriteBlocks(fs, fd, blocks);
  if (error == 0 && fs.Ftruncate(fd, size) != 0) error = errno;
  if (error == 0 && fs.Fsync(fd) != 0) error = errno;
  if (fs.Close(fd) != 0 && error == 0) error = errno;
  return error;
}

// For a file the user may write in a folder that refuses new files: the bytes
// go over the old ones, which a recovery copy keeps until the new ones are on
// disk, so a save killed half-way leaves the file restorable (no copy, no
// write). A failure puts the old bytes back where it can; where it cannot, the
// copy stays for the next open to offer.
int WriteInPlace(FileSystem& fs, const std::string& target,
                 std::span<const std::span<const uint8_t>> blocks) {
  ByteSet old_bytes;
  if (int error = ReadWholeFile(fs, target, old_bytes); error != 0) return error;
  if (int error = KeepRecoveryCopy(fs, target, old_bytes); error != 0) return error;
  const int error = Overwrite(fs, target, blocks);
  const std::span<const uint8_t> old_block(old_bytes);
  if (error != 0 && Overwrite(fs, target, std::span(&old_block, 1)) != 0) return error;
  DropRecoveryCopy(fs, target);
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
    fs.Unlink(temp_path.c_str());
    return error;
  }
  SyncFolderOf(target);
  // A copy an earlier in-place save left holds nothing this save has not
  // replaced on purpose.
  DropRecoveryCopy(fs, target);
  return 0;
}

FileWriteResult SaveBlocks(std::string_view name, std::span<const std::span<const uint8_t>> blocks,
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
  // What is not a regular file is refused unopened: opening a pipe may wait
  // for a writer where the open cannot be made non-blocking (node's files).
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return {{}, errno};
  if (!S_ISREG(info.st_mode)) return {{}, EINVAL};
  FileReadResult result;
  result.error = ReadWholeFile(CurrentFileSystem(), path, result.bytes);
  return result;
}

FileWriteResult TryWriteFileBytes(std::string_view name,
                                  std::initializer_list<std::span<const uint8_t>> blocks,
                                  LinkAtName link) {
  return SaveBlocks(name, std::span(blocks.begin(), blocks.size()), link);
}

FileWriteResult TryWriteFileBytes(std::string_view name, std::span<const uint8_t> block,
                                  LinkAtName link) {
  return SaveBlocks(name, std::span(&block, 1), link);
}

}  // namespace dravel
