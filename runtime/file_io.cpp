#include "runtime/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "runtime/file_bytes.h"
#include "runtime/save_temporaries.h"

namespace dravel {
namespace {

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
    if (bytes.size() + static_cast<size_t>(more) > kLargestFile) return EFBIG;
    bytes.insert(bytes.end(), chunk, chunk + more);
  }
}

int ReadOpenFile(FileSystem& fs, int fd, ByteSet& bytes) {
  struct stat info;
  if (fstat(fd, &info) != 0) return errno;
  // A device or pipe could block or never end.
  if (!S_ISREG(info.st_mode)) return EINVAL;
  if (static_cast<uint64_t>(info.st_size) > kLargestFile) return EFBIG;
  return ReadAll(fs, fd, static_cast<size_t>(info.st_size), bytes);
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

}  // namespace

int ReadWholeFile(FileSystem& fs, const std::string& path, ByteSet& bytes) {
  // Non-blocking so that opening a pipe cannot wait for a writer.
  const int fd = fs.Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return errno;
  const int error = ReadOpenFile(fs, fd, bytes);
  fs.Close(fd);
  if (error != 0) bytes = {};
  return error;
}

int WriteBlocks(FileSystem& fs, int fd, std::span<const std::span<const uint8_t>> blocks) {
  for (std::span<const uint8_t> block : blocks) {
    if (int error = WriteBlock(fs, fd, block); error != 0) return error;
  }
  return 0;
}

void SyncFolderOf(const std::string& path) {
  const std::string prefix = FolderPrefixOf(path);
  const int fd = ::open(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace dravel
