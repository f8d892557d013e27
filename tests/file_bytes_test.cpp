#include "runtime/file_bytes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include "runtime/file_system.h"
#include "runtime/recovery_copy.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

fs::path MakeTemporaryFolder(const char* pattern_name) {
  std::string pattern = (fs::temp_directory_path() / pattern_name).string();
  EXPECT_NE(mkdtemp(pattern.data()), nullptr);
  return pattern;
}

// Each test has its own folder, and its own cache folder for recovery copies.
class FileBytesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTemporaryFolder("dravel-files-XXXXXX");
    cache_ = MakeTemporaryFolder("dravel-cache-XXXXXX");
    setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CACHE_HOME");
    fs::remove_all(dir_);
    fs::remove_all(cache_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  fs::path cache_;
};

TEST_F(FileBytesTest, RoundTripsBlocksExactly) {
  ByteSet first = Bytes(std::string("ab\0\r\n", 5));
  ByteSet second = {0xc7, 0xb0, 0xff};
  ASSERT_TRUE(TryWriteFileBytes(Path("a.dvg"), {first, ByteSet{}, second}).Ok());
  ByteSet expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(TryReadFileBytes(Path("a.dvg")).bytes, expected);
  EXPECT_EQ(Entries(), std::vector<std::string>{"a.dvg"});
}

TEST_F(FileBytesTest, RoundTripsALargeBinaryFile) {
  ByteSet big(24 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  ASSERT_TRUE(TryWriteFileBytes(Path("big.bin"), big).Ok());
  EXPECT_TRUE(TryReadFileBytes(Path("big.bin")).bytes == big);
}

TEST_F(FileBytesTest, ReplacesALongerFileCompletely) {
  ASSERT_TRUE(TryWriteFileBytes(Path("f"), Bytes("a much longer old text")).Ok());
  ASSERT_TRUE(TryWriteFileBytes(Path("f"), Bytes("new")).Ok());
  EXPECT_EQ(TryReadFileBytes(Path("f")).bytes, Bytes("new"));
  ASSERT_TRUE(TryWriteFileBytes(Path("f"), ByteSet{}).Ok());
  FileReadResult empty = TryReadFileBytes(Path("f"));
  EXPECT_TRUE(empty.Ok());
  EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(FileBytesTest, ReportsFailuresWithoutThrowing) {
  struct Case {
    std::string name;
    int write_error;
    int read_error;
  } cases[] = {
      {"", EINVAL, EINVAL},
      {Path("missing/a.dvg"), ENOENT, ENOENT},
      {dir_.string(), EISDIR, EINVAL},
      {Path("sub/"), EISDIR, ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TryWriteFileBytes(c.name, Bytes("x")).error, c.write_error);
    FileReadResult read = TryReadFileBytes(c.name);
    EXPECT_EQ(read.error, c.read_error);
    EXPECT_TRUE(read.bytes.empty());
  }
  EXPECT_FALSE(FileErrorText(ENOENT).empty());
}

TEST_F(FileBytesTest, NameEndsAtItsFirstZeroByte) {
  ASSERT_TRUE(TryWriteFileBytes(Path("f") + std::string("\0junk", 5), Bytes("x")).Ok());
  EXPECT_EQ(Entries(), std::vector<std::string>{"f"});
}

TEST_F(FileBytesTest, KeepsAnExistingFilesPermissions) {
  for (mode_t mode : {0600, 0640, 0755}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(TryWriteFileBytes(Path("p"), Bytes("old")).Ok());
    ASSERT_EQ(chmod(Path("p").c_str(), mode), 0);
    ASSERT_TRUE(TryWriteFileBytes(Path("p"), Bytes("new")).Ok());
    struct stat info;
    ASSERT_EQ(stat(Path("p").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode);
  }
}

TEST_F(FileBytesTest, FollowsSymbolicLinksToTheirTarget) {
  fs::create_directory(dir_ / "real");
  ASSERT_TRUE(TryWriteFileBytes(Path("real/target"), Bytes("old")).Ok());
  fs::create_symlink("real/target", dir_ / "link");
  fs::create_symlink("link", dir_ / "link2");
  ASSERT_TRUE(TryWriteFileBytes(Path("link2"), Bytes("new")).Ok());
  EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link2"));
  EXPECT_EQ(TryReadFileBytes(Path("real/target")).bytes, Bytes("new"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link", "link2", "real"}));
}

TEST_F(FileBytesTest, DanglingLinkCreatesItsTargetAndALoopFails) {
  fs::create_symlink("made", dir_ / "dangling");
  ASSERT_TRUE(TryWriteFileBytes(Path("dangling"), Bytes("x")).Ok());
  EXPECT_EQ(TryReadFileBytes(Path("made")).bytes, Bytes("x"));
  fs::create_symlink("loop", dir_ / "loop");
  EXPECT_EQ(TryWriteFileBytes(Path("loop"), Bytes("x")).error, ELOOP);
}

TEST_F(FileBytesTest, RefusesALinkAtTheNameWhenAskedAndTouchesNeither) {
  ASSERT_TRUE(TryWriteFileBytes(Path("victim"), Bytes("old")).Ok());
  fs::create_symlink("victim", dir_ / "link");
  fs::create_symlink("made", dir_ / "dangling");
  for (const char* name : {"link", "dangling"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TryWriteFileBytes(Path(name), Bytes("new"), LinkAtName::kRefuse).error, ELOOP);
    EXPECT_TRUE(fs::is_symlink(dir_ / name));
  }
  EXPECT_EQ(TryReadFileBytes(Path("victim")).bytes, Bytes("old"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"dangling", "link", "victim"}));
  EXPECT_TRUE(TryWriteFileBytes(Path("plain"), Bytes("x"), LinkAtName::kRefuse).Ok());
}

// Lets a number of bytes through, then fails the chosen step with ENOSPC or
// EIO, as a full disk or a failing device would.
class FailingFileSystem : public FileSystem {
 public:
  enum class Step { kWrite, kFsync, kClose, kRename };
  FailingFileSystem(Step step, size_t allowed) : step_(step), allowed_(allowed) {}

  ssize_t Write(int fd, const void* buffer, size_t size) override {
    if (step_ != Step::kWrite) return FileSystem::Write(fd, buffer, size);
    if (allowed_ == 0) return Fail(ENOSPC);
    ssize_t n = FileSystem::Write(fd, buffer, std::min(size, allowed_));
    if (n > 0) allowed_ -= static_cast<size_t>(n);
    return n;
  }
  int Fsync(int fd) override { return step_ == Step::kFsync ? Fail(EIO) : FileSystem::Fsync(fd); }
  int Close(int fd) override {
    int result = FileSystem::Close(fd);
    return step_ == Step::kClose ? Fail(EIO) : result;
  }
  int Rename(const char* from, const char* to) override {
    return step_ == Step::kRename ? Fail(EIO) : FileSystem::Rename(from, to);
  }

 private:
  static int Fail(int error) {
    errno = error;
    return -1;
  }
  Step step_;
  size_t allowed_;
};

TEST_F(FileBytesTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  using Step = FailingFileSystem::Step;
  struct Case {
    Step step;
    int error;
  } cases[] = {
      {Step::kWrite, ENOSPC}, {Step::kFsync, EIO}, {Step::kClose, EIO}, {Step::kRename, EIO}};
  ByteSet old_bytes = Bytes("the old contents, which must survive");
  ASSERT_TRUE(TryWriteFileBytes(Path("keep.dvg"), old_bytes).Ok());
  ByteSet new_bytes(100000, 'n');
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    FailingFileSystem failing(c.step, new_bytes.size() / 2);
    FileSystem* previous = SetFileSystem(&failing);
    FileWriteResult result = TryWriteFileBytes(Path("keep.dvg"), {new_bytes, new_bytes});
    SetFileSystem(previous);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(TryReadFileBytes(Path("keep.dvg")).bytes, old_bytes);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dvg"});
  }
}

// Refuses new files in `folder` (a folder the user may not write), and
// optionally fails in-place writes with a full disk.
class RefusingFolderFileSystem : public FileSystem {
 public:
  explicit RefusingFolderFileSystem(const fs::path& folder, bool disk_full = false)
      : folder_(folder.string() + "/"), disk_full_(disk_full) {}
  int Open(const char* path, int flags, mode_t mode) override {
    if ((flags & O_CREAT) != 0 && std::string_view(path).starts_with(folder_)) return Fail(EACCES);
    return FileSystem::Open(path, flags, mode);
  }
  ssize_t Write(int fd, const void* buffer, size_t size) override {
    return disk_full_ ? Fail(ENOSPC) : FileSystem::Write(fd, buffer, size);
  }

 private:
  static int Fail(int error) {
    errno = error;
    return -1;
  }
  std::string folder_;
  bool disk_full_;
};

TEST_F(FileBytesTest, AFolderThatRefusesNewFilesStillLetsAWritableFileBeSaved) {
  ASSERT_TRUE(TryWriteFileBytes(Path("keep.dvg"), Bytes("a longer old text that gets cut")).Ok());
  RefusingFolderFileSystem refusing(dir_);
  FileSystem* previous = SetFileSystem(&refusing);
  const FileWriteResult in_place = TryWriteFileBytes(Path("keep.dvg"), Bytes("new"));
  const FileWriteResult new_file = TryWriteFileBytes(Path("other.dvg"), Bytes("x"));
  SetFileSystem(previous);
  EXPECT_TRUE(in_place.Ok());
  EXPECT_EQ(TryReadFileBytes(Path("keep.dvg")).bytes, Bytes("new"));
  EXPECT_EQ(new_file.error, EACCES);
  EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dvg"});

  RefusingFolderFileSystem full(dir_, true);
  previous = SetFileSystem(&full);
  const FileWriteResult failed = TryWriteFileBytes(Path("keep.dvg"), Bytes("newer"));
  SetFileSystem(previous);
  EXPECT_EQ(failed.error, ENOSPC);
}

// A folder that refuses new files, where the `at`-th call through the seam
// ends the process as a kill would, or fails as a dying disk would.
class StepFault final : public RefusingFolderFileSystem {
 public:
  enum class Kind { kKill, kFail };
  static constexpr int kKilled = 9;
  StepFault(const fs::path& folder, Kind kind, int at)
      : RefusingFolderFileSystem(folder), kind_(kind), at_(at) {}
  bool Reached() const { return calls_ >= at_; }

  int Open(const char* path, int flags, mode_t mode) override {
    return Hit() ? Fail() : RefusingFolderFileSystem::Open(path, flags, mode);
  }
  ssize_t Read(int fd, void* buffer, size_t size) override {
    return Hit() ? Fail() : FileSystem::Read(fd, buffer, size);
  }
  ssize_t Write(int fd, const void* buffer, size_t size) override {
    return Hit() ? Fail() : FileSystem::Write(fd, buffer, size);
  }
  int Fsync(int fd) override { return Hit() ? Fail() : FileSystem::Fsync(fd); }
  int Close(int fd) override {
    const bool hit = Hit();
    const int result = FileSystem::Close(fd);
    return hit ? Fail() : result;
  }
  int Rename(const char* from, const char* to) override {
    return Hit() ? Fail() : FileSystem::Rename(from, to);
  }
  int Unlink(const char* path) override { return Hit() ? Fail() : FileSystem::Unlink(path); }
  int Mkdir(const char* path, mode_t mode) override {
    return Hit() ? Fail() : FileSystem::Mkdir(path, mode);
  }
  int Ftruncate(int fd, off_t length) override {
    return Hit() ? Fail() : FileSystem::Ftruncate(fd, length);
  }
  int PosixFallocate(int fd, off_t offset, off_t length) override {
    return Hit() ? EIO : FileSystem::PosixFallocate(fd, offset, length);
  }

 private:
  bool Hit() {
    if (++calls_ != at_) return false;
    if (kind_ == Kind::kKill) _exit(kKilled);
    return true;
  }
  static int Fail() {
    errno = EIO;
    return -1;
  }
  Kind kind_;
  int at_;
  int calls_ = 0;
};

// Saves `bytes` to `path` in a child process under a StepFault; gives the
// child's exit status: StepFault::kKilled, else 0 when the save succeeded, 1
// when it failed, plus 2 when the fault was never reached.
int SaveInChild(const fs::path& folder, StepFault::Kind kind, int at, const std::string& path,
                const ByteSet& bytes) {
  const pid_t child = fork();
  if (child == 0) {
    StepFault fault(folder, kind, at);
    SetFileSystem(&fault);
    const bool ok = TryWriteFileBytes(path, bytes).Ok();
    _exit((ok ? 0 : 1) + (fault.Reached() ? 0 : 2));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A save written in place, killed or failing at each of its calls in turn:
// the file then holds its old bytes or its new ones, or the old ones are in
// its recovery copy, private to the user.
TEST_F(FileBytesTest, AnInPlaceSaveCutShortAtAnyCallLosesNothing) {
  const std::string path = Path("keep.dvg");
  const ByteSet old_bytes = Bytes("the old contents, longer than the new");
  const ByteSet new_bytes = Bytes("the new contents");
  for (const StepFault::Kind kind : {StepFault::Kind::kKill, StepFault::Kind::kFail}) {
    int mixed = 0;
    for (int at = 1, status = 0; status == StepFault::kKilled || status <= 1; ++at) {
      SCOPED_TRACE("call " + std::to_string(at) +
                   (kind == StepFault::Kind::kKill ? " killed" : " failed"));
      std::ofstream(path, std::ios::binary | std::ios::trunc)
          .write(reinterpret_cast<const char*>(old_bytes.data()),
                 std::streamsize(old_bytes.size()));
      fs::remove_all(cache_ / "dravel");
      status = SaveInChild(dir_, kind, at, path, new_bytes);
      ASSERT_GE(status, 0);
      const ByteSet now = TryReadFileBytes(path).bytes;
      if (status == 0 || status == 2) {
        EXPECT_EQ(now, new_bytes) << "a save said to succeed";
      }
      if (now == old_bytes || now == new_bytes) continue;
      ++mixed;
      std::optional<RecoveryCopy> copy = FindRecoveryCopy(path);
      ASSERT_TRUE(copy.has_value());
      EXPECT_EQ(copy->bytes, old_bytes);
      EXPECT_EQ(fs::status(copy->path).permissions(),
                fs::perms::owner_read | fs::perms::owner_write);
      EXPECT_EQ(fs::status(cache_ / "dravel/recovery").permissions(), fs::perms::owner_all);
      // A copy whose header names another file is not this file's.
      std::fstream header(copy->path, std::ios::binary | std::ios::in | std::ios::out);
      const std::string folder = fs::canonical(dir_).string();
      std::string first_lines(folder.size() + 32, '\0');
      header.read(first_lines.data(), std::streamsize(first_lines.size()));
      header.seekp(std::streamoff(first_lines.find(folder)));
      header.write("x", 1);
      header.close();
      EXPECT_FALSE(FindRecoveryCopy(path).has_value());
    }
    // Killed at the truncate: the new bytes, then the old ones' tail.
    if (kind == StepFault::Kind::kKill) {
      EXPECT_GT(mixed, 0);
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dvg"});
  }
}

// Refuses new files in `folder`, and swaps `target` for a link to `victim`
// just before it is opened for writing in place, as a rival process could.
class LinkSwappingFileSystem final : public RefusingFolderFileSystem {
 public:
  LinkSwappingFileSystem(const fs::path& folder, std::string target, std::string victim)
      : RefusingFolderFileSystem(folder), target_(std::move(target)), victim_(std::move(victim)) {}
  int Open(const char* path, int flags, mode_t mode) override {
    if ((flags & O_ACCMODE) == O_WRONLY && path == target_) {
      ::unlink(path);
      [[maybe_unused]] const int linked = ::symlink(victim_.c_str(), path);
    }
    return RefusingFolderFileSystem::Open(path, flags, mode);
  }

 private:
  std::string target_;
  std::string victim_;
};

TEST_F(FileBytesTest, AnInPlaceWriteNeverFollowsALinkThatCameSinceTheCheck) {
  ASSERT_TRUE(TryWriteFileBytes(Path("victim"), Bytes("old")).Ok());
  for (LinkAtName link : {LinkAtName::kFollow, LinkAtName::kRefuse}) {
    SCOPED_TRACE(static_cast<int>(link));
    ASSERT_TRUE(TryWriteFileBytes(Path("keep.dvg"), Bytes("kept")).Ok());
    LinkSwappingFileSystem swapping(dir_, Path("keep.dvg"), Path("victim"));
    FileSystem* previous = SetFileSystem(&swapping);
    const FileWriteResult result = TryWriteFileBytes(Path("keep.dvg"), Bytes("new"), link);
    SetFileSystem(previous);
    EXPECT_EQ(result.error, ELOOP);
    EXPECT_EQ(TryReadFileBytes(Path("victim")).bytes, Bytes("old"));
    fs::remove(dir_ / "keep.dvg");
  }
}

TEST_F(FileBytesTest, ANameThatFitsTheFolderCanBeSaved) {
  const std::string longest(255, 'n');
  ASSERT_TRUE(TryWriteFileBytes(Path(longest), Bytes("go 50\r\n")).Ok());
  EXPECT_EQ(TryReadFileBytes(Path(longest)).bytes, Bytes("go 50\r\n"));
  EXPECT_EQ(Entries(), std::vector<std::string>{longest});
}

pid_t DeadProcessId() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST_F(FileBytesTest, ASaveRemovesTemporariesThatKilledSavesLeft) {
  const std::string dead = std::to_string(DeadProcessId());
  const std::string live = std::to_string(getppid());
  const std::vector<std::string> stale = {".dravel-" + dead + "-abc123.tmp",
                                          ".work.dvg.saving-" + dead + "-8"};
  const std::vector<std::string> kept = {".dravel-" + live + "-abc123.tmp",
                                         ".other.dvg.saving-" + dead + "-8",
                                         ".dravel-" + dead + "-toolong7.tmp", "notes.txt"};
  for (const auto& names : {stale, kept})
    for (const std::string& name : names) std::ofstream(Path(name)) << "x";
  ASSERT_TRUE(TryWriteFileBytes(Path("work.dvg"), Bytes("saved")).Ok());
  std::vector<std::string> expected = kept;
  expected.push_back("work.dvg");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
}

// Counts the opens: where an open cannot be made non-blocking (node's file
// system), opening a pipe waits for a writer.
class CountingOpens final : public FileSystem {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    ++opens;
    return FileSystem::Open(path, flags, mode);
  }
  int opens = 0;
};

TEST_F(FileBytesTest, ReadsOnlyRegularFilesAndOpensNothingElse) {
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  CountingOpens counting;
  FileSystem* previous = SetFileSystem(&counting);
  const int pipe_error = TryReadFileBytes(Path("pipe")).error;
  const int device_error = TryReadFileBytes("/dev/zero").error;
  SetFileSystem(previous);
  EXPECT_EQ(pipe_error, EINVAL);
  EXPECT_EQ(device_error, EINVAL);
  EXPECT_EQ(counting.opens, 0);
}

}  // namespace
}  // namespace dravel
