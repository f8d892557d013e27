// The seam between the whole-file commands and the operating system: the
// calls that can fail half-way through a read or a save go through a
// `FileSystem`, which tests replace to make a write fail (a full disk, a
// failing fsync or rename) or to end the process at any call, and check that
// the old file survives.
#pragma once

#include <sys/types.h>

namespace dravel {

// Each call behaves as the POSIX call of the same name: -1 and errno on
// failure. The default forwards to the operating system.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* buffer, size_t size);
  virtual ssize_t Write(int fd, const void* buffer, size_t size);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);
  virtual int Mkdir(const char* path, mode_t mode);
  virtual int Ftruncate(int fd, off_t length);
  // As posix_fallocate: 0, or the error number itself (errno is left alone).
  virtual int PosixFallocate(int fd, off_t offset, off_t length);
};

// The file system the file commands use now.
FileSystem& CurrentFileSystem();

// Makes `file_system` current (nullptr restores the default) and returns the
// one it replaces. The caller keeps it alive while it is current; meant for
// tests, set before any file command runs on another thread.
FileSystem* SetFileSystem(FileSystem* file_system);

}  // namespace dravel
