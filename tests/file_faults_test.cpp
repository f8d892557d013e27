// File faults through the real window: a save into a read-only folder, a disk
// that fills up half-way through a write, a save in place cut short and the
// copy that then offers the old bytes back, a file replaced or removed between
// open and save, a path GBK cannot hold, a 50 MB binary file opened and a
// file of one 10 MB line run. Every case must leave one clear message in the
// hint box, the old file as it was, the editor's text as it was, and a window
// that still answers. The failing calls go through the runtime's FileSystem.
#include <fcntl.h>

#include <QDir>
#include <QTest>
#include <cerrno>
#include <random>

#include "mainwindow/edit_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow_test_fixture.h"
#include "runtime/file_system.h"

namespace dravel::testing {
namespace {

int Fail(int error) {
  errno = error;
  return -1;
}

// Fails the calls a read-only folder holding a read-only file refuses:
// creating a file, renaming one into it, writing the file in place. (A
// writable file in a read-only folder is saved in place.)
class ReadOnlyFolder final : public FileSystem {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    if ((flags & (O_CREAT | O_WRONLY | O_RDWR)) != 0) return Fail(EACCES);
    return FileSystem::Open(path, flags, mode);
  }
  int Rename(const char*, const char*) override { return Fail(EACCES); }
};

// A disk with `room` bytes left: writes beyond it end in ENOSPC.
class FullDisk final : public FileSystem {
 public:
  explicit FullDisk(size_t room) : room_(room) {}
  ssize_t Write(int fd, const void* buffer, size_t size) override {
    if (room_ == 0) return Fail(ENOSPC);
    const ssize_t written = FileSystem::Write(fd, buffer, std::min(size, room_));
    if (written > 0) room_ -= size_t(written);
    return written;
  }

 private:
  size_t room_;
};

// A folder that refuses new files, so a save writes the file in place, on a
// disk that dies at the truncate: the file keeps the new bytes and the old
// ones' tail, and the old bytes cannot be put back.
class DiesAtTheTruncate final : public FileSystem {
 public:
  explicit DiesAtTheTruncate(const QString& folder)
      : folder_(QFile::encodeName(folder).toStdString() + "/") {}
  int Open(const char* path, int flags, mode_t mode) override {
    if ((flags & O_CREAT) != 0 && std::string_view(path).starts_with(folder_)) return Fail(EACCES);
    return FileSystem::Open(path, flags, mode);
  }
  ssize_t Write(int fd, const void* buffer, size_t size) override {
    return dead_ ? Fail(EIO) : FileSystem::Write(fd, buffer, size);
  }
  int Ftruncate(int, off_t) override {
    dead_ = true;
    return Fail(EIO);
  }

 private:
  std::string folder_;
  bool dead_ = false;
};

// Makes `file_system` current for the scope.
class FileSystemScope {
 public:
  explicit FileSystemScope(FileSystem& file_system) : previous_(SetFileSystem(&file_system)) {}
  ~FileSystemScope() { SetFileSystem(previous_); }
  FileSystemScope(const FileSystemScope&) = delete;
  FileSystemScope& operator=(const FileSystemScope&) = delete;

 private:
  FileSystem* previous_;
};

class FileFaultsTest : public WindowTest {
 protected:
  SourceFiles& Files() { return Window().Files(); }
  EditBox& Editor() { return Window().Editor(); }
  Text Messages() { return Hint().substr(Gbk("提示信息：\r\n").size()); }
  static Text PathText(const QString& path) { return Gbk(path.toStdString()); }
  Text SaveFailed(const QString& path) {
    return Gbk("保存 ") + PathText(path) + Gbk(" 失败！\r\n");
  }

  // Opens `path` through the dialog; the editor then holds its text.
  void OpenFile(const QString& path) {
    dialogs_.file_answers = {path};
    Files().Open();
  }
  // The folder holds only what the test put there: no temporary left over.
  QStringList FolderEntries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  // The window still answers: a click on the clear button goes through.
  void ExpectResponsive() {
    QTest::mouseClick(&Button("按钮_清屏"), Qt::LeftButton);
    Drain();
    EXPECT_TRUE(Window().isVisible());
  }
};

TEST_F(FileFaultsTest, SaveFailuresKeepTheOldFileAndTheEditor) {
  const QString path = PathOf("star.dvg");
  WriteFile(path, Gbk("前进 100\r\n"));
  OpenFile(path);
  QTest::keyClicks(&Editor(), "go 5");
  const Text typed = Editor().Content();
  ReadOnlyFolder read_only;
  FullDisk full_at_start(0);
  FullDisk full_half_way(3);
  struct Case {
    const char* name;
    FileSystem& file_system;
  } cases[] = {{"read-only folder and file", read_only},
               {"disk full at the first byte", full_at_start},
               {"disk full half-way", full_half_way}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Text before = Messages();
    {
      FileSystemScope scope(c.file_system);
      Files().Save();
    }
    EXPECT_EQ(Messages(), before + SaveFailed(path));
    EXPECT_EQ(ReadFile(path), Gbk("前进 100\r\n"));
    EXPECT_EQ(Editor().Content(), typed);
    EXPECT_EQ(Files().SourceChanged(), 1);
    EXPECT_EQ(FolderEntries(), QStringList{"star.dvg"});
    ExpectResponsive();
  }
  Files().Save();  // the disk has room again
  EXPECT_EQ(ReadFile(path), typed);
}

// The next open offers the bytes from before a save in place that was cut
// short (Yes: in the editor, to be saved; No: the file as it is), naming the
// file and the copy; the copy goes once the file is saved.
TEST_F(FileFaultsTest, AnInPlaceSaveCutShortIsOfferedBackAtTheNextOpen) {
  const QString path = PathOf("star.dvg");
  const Text old_text = Gbk("前进 100\r\n右转 144\r\n");
  const Text mixed = "go 5" + old_text.substr(4);
  struct Case {
    const char* name;
    BoxAnswer answer;
    Text opened;
    int changed;
  } cases[] = {{"Yes opens the bytes from before the save", BoxAnswer::kYes, old_text, 1},
               {"No opens the file as it is", BoxAnswer::kNo, mixed, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path, old_text);
    OpenFile(path);
    Editor().SetContent("go 5");
    {
      DiesAtTheTruncate dying(dir_.path());
      FileSystemScope scope(dying);
      Files().Save();
    }
    EXPECT_TRUE(Messages().ends_with(SaveFailed(path)));
    ASSERT_EQ(ReadFile(path), mixed);
    dialogs_.box_answers = {BoxAnswer::kNo, c.answer};  // the save prompt, then the copy
    OpenFile(path);
    const Text question = dialogs_.boxes_shown.back();
    EXPECT_NE(question.find(PathText(path)), Text::npos);
    EXPECT_NE(question.find(PathText(cache_.path() + "/dravel/recovery/")), Text::npos);
    EXPECT_EQ(Editor().Content(), c.opened);
    EXPECT_EQ(Files().SourceChanged(), c.changed);
    EXPECT_EQ(FolderEntries(), QStringList{"star.dvg"});
    Files().Save();
    EXPECT_EQ(ReadFile(path), c.opened);
    OpenFile(path);  // asks nothing now
    EXPECT_EQ(Editor().Content(), c.opened);
  }
}

// Another program replaces or removes the file after it was opened: the save
// writes the editor's text whole, never a mix of the two.
TEST_F(FileFaultsTest, FileReplacedOrRemovedBetweenOpenAndSave) {
  const QString path = PathOf("shared.dvg");
  const QString other = PathOf("other.dvg");
  struct Case {
    const char* name;
    bool remove;
  } cases[] = {{"replaced by a longer file", false}, {"removed", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path, "go 1");
    OpenFile(path);
    QTest::keyClicks(&Editor(), "0");
    const Text typed = Editor().Content();
    if (c.remove) {
      ASSERT_TRUE(QFile::remove(path));
    } else {
      WriteFile(other, Text(1000, 'x'));
      ASSERT_EQ(::rename(other.toUtf8().constData(), path.toUtf8().constData()), 0);
    }
    const Text before = Messages();
    Files().Save();
    EXPECT_EQ(Messages(), before + Gbk("保存 ") + PathText(path) + Gbk(" 成功！\r\n"));
    EXPECT_EQ(ReadFile(path), typed);
    EXPECT_EQ(FolderEntries(), QStringList{"shared.dvg"});
  }
}

// The file system takes any name; the hint box shows what GBK can of it.
TEST_F(FileFaultsTest, PathGbkCannotHoldIsSavedAndOpened) {
  const QString path = PathOf("星\xF0\x9F\x98\x80.dvg");
  QTest::keyClicks(&Editor(), "go 7");
  const Text typed = Editor().Content();
  dialogs_.file_answers = {path};
  Files().Save();
  EXPECT_EQ(ReadFile(path), typed);
  Editor().SetContent("");
  dialogs_.box_answers = {BoxAnswer::kNo};  // the emptied editor is not saved
  OpenFile(path);
  EXPECT_EQ(Editor().Content(), typed);
  const Text messages = Messages();
  EXPECT_TRUE(messages.starts_with(Gbk("保存 ") + PathText(dir_.path()) + "/" + Gbk("星")));
  EXPECT_TRUE(messages.ends_with(Gbk(" 成功！\r\n")));
  EXPECT_NE(messages.find(Gbk("打开 ")), Text::npos);
}

// Random bytes: the editor takes those before the first zero byte.
TEST_F(FileFaultsTest, FiftyMegabyteBinaryFileOpens) {
  const QString path = PathOf("blob.bin");
  Text blob(50 << 20, '\0');
  std::mt19937 random(7);
  for (char& byte : blob) byte = char(random());
  WriteFile(path, blob);
  OpenFile(path);
  EXPECT_TRUE(Messages().ends_with(Gbk(" 成功！\r\n")));
  EXPECT_LT(Editor().Content().size(), 4096u);  // the first zero comes early
  ExpectResponsive();
}

// One line of 10 MB: unrecognised, reported with its number, the editor kept.
TEST_F(FileFaultsTest, TenMegabyteSingleLineRuns) {
  const QString path = PathOf("long.dvg");
  WriteFile(path, Text(10 << 20, 'a'));
  OpenFile(path);
  ASSERT_EQ(Editor().Content().size(), size_t(10 << 20));
  Window().StartRun();
  Window().WaitForRun();
  EXPECT_TRUE(Hint().ends_with(Gbk("第1行存在无法识别的命令！\r\n")));
  EXPECT_EQ(Editor().Content().size(), size_t(10 << 20));
  ExpectResponsive();
  // Wrapped anywhere only while such a word is there.
  EXPECT_EQ(Editor().wordWrapMode(), QTextOption::WrapAnywhere);
  Files().New();
  EXPECT_EQ(Editor().wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

}  // namespace
}  // namespace dravel::testing
