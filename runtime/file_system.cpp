#include "runtime/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace dravel {
namespace {

FileSystem& DefaultFileSystem() {
  static FileSystem file_system;
  return file_system;
}

std::atomic<FileSystem*> current{nullptr};

}  // namespace

int FileSystem::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileSystem::Read(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }
ssize_t FileSystem::Write(int fd, const void* buffer, size_t size) {
  return ::write(fd, buffer, size);
}
int FileSystem::Fsync(int fd) { return ::fsync(fd); }
int FileSystem::Close(int fd) { return ::close(fd); }
int FileSystem::Rename(const char* from, const char* to) { return ::rename(from, to); }
int FileSystem::Unlink(const char* path) { return ::unlink(path); }
int FileSystem::Mkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }
int FileSystem::Ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileSystem::PosixFallocate(int fd, off_t offset, off_t length) {
  return ::posix_fallocate(fd, offset, length);
}

FileSystem& CurrentFileSystem() {
  FileSystem* file_system = current.load();
  return file_system != nullptr ? *file_system : DefaultFileSystem();
}

FileSystem* SetFileSystem(FileSystem* file_system) {
  FileSystem* previous = current.exchange(file_system);
  return previous != nullptr ? previous : &DefaultFileSystem();
}

}  // namespace dravel
