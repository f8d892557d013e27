// A folder run on what a hostile pupil can hand in and what a teacher keeps
// beside it: the run writes only into its own output folder and replaces
// only what it wrote, writes no CSV cell a spreadsheet would run, reads only
// the regular files handed in, and prints nothing raw.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "runtime/sanitized_build.h"
#include "support/render_process.h"

namespace dravel {
namespace {

std::string Quoted(const QString& path) { return "'" + path.toStdString() + "'"; }

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// dravel-render's standard error, its standard output dropped.
Result RenderSaying(const std::string& arguments) {
  return RunCommand(std::string(DRAVEL_RENDER) + " " + arguments + " 2>&1 >/dev/null");
}

// The cells of a CSV text, each as written (quotes and all).
std::vector<std::string> CsvCells(const std::string& csv) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ',' || (c == '\r' && csv[i + 1] == '\n'))) {
      cells.emplace_back();
      i += c == '\r';
      continue;
    }
    cells.back() += c;
  }
  return cells;
}

// A class folder in a parent of its own, so the output folder beside it is
// the test's too.
class FolderSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(parent_.path()).mkdir(QString::fromUtf8("五年级1班")));
    in_ = parent_.filePath(QString::fromUtf8("五年级1班"));
    out_ = parent_.filePath(QString::fromUtf8("五年级1班-批改"));
    int length = 5;  // each its own script, so no copies column
    for (const char* name : {"=HYPERLINK(\"http:x.cn\",\"点我\").dvg", "+1+1.dvg", "@林一.dvg",
                             "-马二.dvg", "冯二.dvg"})
      Write(in_ + "/" + QString::fromUtf8(name), "go " + QByteArray::number(length++));
  }
  QTemporaryDir parent_;
  QString in_, out_;
};

TEST_F(FolderSafety, WritesBesideTheClassFolderAndSaysWhere) {
  // Names the manifest must keep as they are.
  for (const char* name : {"  spaced.dvg", "new\nline.dvg", "back\\n.dvg"})
    Write(in_ + "/" + name, "go 9");
  const Result said = RenderSaying(Quoted(in_));
  EXPECT_EQ(said.status, 0);
  EXPECT_EQ(said.out.substr(0, said.out.find('\n')),
            "dravel-render: writing into " + out_.toStdString());
  EXPECT_EQ(QDir(in_).entryList(QDir::Files).size(), 8) << "nothing among the pupils' files";
  EXPECT_TRUE(QFile::exists(out_ + QString::fromUtf8("/冯二.png")));
  EXPECT_EQ(RenderSaying(Quoted(in_)).status, 0) << "a rerun replaces its own files";
}

TEST_F(FolderSafety, NoCsvCellStartsAFormula) {
  ASSERT_EQ(Render(Quoted(in_)).status, 0);
  const std::string csv = ReadAll(out_ + "/summary.csv").toStdString();
  int cells = 0;
  for (std::string cell : CsvCells(csv)) {
    if (cell.starts_with("\"")) cell.erase(0, 1);
    EXPECT_TRUE(cell.empty() || std::string("=+-@\t\r").find(cell[0]) == std::string::npos) << cell;
    cells += cell.starts_with("'");
  }
  EXPECT_EQ(cells, 8) << "the file and picture cells of the four hostile names";
}

// Whatever an earlier run did not write stops the run before it writes
// anything, named, unless --overwrite.
TEST_F(FolderSafety, ReplacesOnlyWhatAnEarlierRunWrote) {
  const struct {
    const char* what;
    const char* name;  // in the output folder, the class folder itself
    bool folder;       // a folder at the name, not a file
    const char* options;
    int status;
    bool kept;
  } cases[] = {
      {"a teacher's summary", "summary.csv", false, "", 2, true},
      {"a pupil's own picture", "冯二.png", false, "", 2, true},
      {"a folder named as the report", "report.html", true, "", 2, true},
      {"a manifest not of ours", ".dravel-render-files", false, "", 2, true},
      {"unrelated files stay", "notes.txt", false, "", 0, true},
      {"told to overwrite", "summary.csv", false, "--overwrite ", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir out;
    const QString path = out.filePath(QString::fromUtf8(c.name));
    if (c.folder)
      ASSERT_TRUE(QDir(out.path()).mkdir(QString::fromUtf8(c.name)));
    else
      Write(path, "teacher's");
    const Result said =
        RenderSaying(std::string(c.options) + "-o " + Quoted(out.path()) + " " + Quoted(in_));
    EXPECT_EQ(said.status, c.status);
    if (!c.folder) {
      EXPECT_EQ(ReadAll(path) == "teacher's", c.kept);
    }
    if (c.status != 2) continue;
    EXPECT_NE(said.out.find(c.name), std::string::npos) << said.out;
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QString::fromUtf8(c.name)})
        << "nothing written";
  }
}

TEST_F(FolderSafety, AFileAtTheOutputFoldersNameIsLeftAlone) {
  Write(out_, "a teacher's file");
  const Result said = RenderSaying(Quoted(in_));
  EXPECT_EQ(said.status, 2);
  EXPECT_NE(said.out.find("cannot make the folder"), std::string::npos) << said.out;
  EXPECT_EQ(ReadAll(out_), "a teacher's file");
}

TEST_F(FolderSafety, AFileEditedSinceTheRunIsNoLongerItsOwn) {
  ASSERT_EQ(Render(Quoted(in_)).status, 0);
  QFile summary(out_ + "/summary.csv");
  ASSERT_TRUE(summary.open(QIODevice::Append));
  summary.write("my marks\r\n");
  summary.close();
  EXPECT_EQ(Render(Quoted(in_)).status, 2);
  EXPECT_TRUE(ReadAll(out_ + "/summary.csv").endsWith("my marks\r\n"));
}

// Names and lines that would clear the screen or retitle the window, and a
// line of 50 MB: each printed and written escaped, and quoted short.
TEST_F(FolderSafety, PrintsNothingRawAndQuotesShort) {
  Write(in_ + "/\x1b]0;pwned\x07.dvg", "go 1");
  Write(in_ + "/\x1b[2J.dvg", "\x1b[2J\r\n");
  Write(in_ + "/long.dvg", QByteArray(50 << 20, 'x'));
  const std::string check = Render("--check " + Quoted(in_)).out;
  const Result run = RunCommand(std::string(DRAVEL_RENDER) + " " + Quoted(in_) + " 2>&1");
  EXPECT_EQ(run.status, 1);
  const struct {
    const char* what;
    std::string text;
  } outputs[] = {
      {"--check", check},
      {"the run's output", run.out},
      {"summary.txt", ReadAll(out_ + "/summary.txt").toStdString()},
      {"summary.csv", ReadAll(out_ + "/summary.csv").toStdString()},
      {"report.html", ReadAll(out_ + "/report.html").toStdString()},
  };
  for (const auto& output : outputs) {
    SCOPED_TRACE(output.what);
    EXPECT_EQ(output.text.find('\x1b'), std::string::npos);
    EXPECT_EQ(output.text.find('\x07'), std::string::npos);
    EXPECT_LT(output.text.size(), 20'000u);
  }
  EXPECT_NE(check.find("\\x1B[2J"), std::string::npos) << check;
}

// Only the regular files handed in are read: a link to a file outside the
// class folder (the system's accounts, the teacher's answer) leaks nothing
// and scores nothing, and a script longer than the editor opens is refused
// unread (a sparse file, so the test writes nothing of it).
TEST_F(FolderSafety, ReadsOnlyTheRegularFilesHandedIn) {
  QTemporaryDir elsewhere;
  Write(elsewhere.filePath("secret.dvg"), "root:x:0:0\r\n");
  Write(elsewhere.filePath("answer.dvg"), "go 100");
  ASSERT_TRUE(QFile::link(elsewhere.filePath("secret.dvg"), in_ + "/pw.dvg"));
  ASSERT_TRUE(QFile::link(elsewhere.filePath("answer.dvg"), in_ + "/answer.dvg"));
  ASSERT_TRUE(QFile::link(elsewhere.path(), in_ + "/folder.dvg"));
  QFile huge(in_ + "/huge.dvg");
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64{1} << 31));
  huge.close();
  const Result run =
      Render("--reference " + Quoted(elsewhere.filePath("answer.dvg")) + " " + Quoted(in_));
  EXPECT_EQ(run.status, 1);
  const Result check = RunCommand(std::string(DRAVEL_RENDER) + " --check " + Quoted(in_) + " 2>&1");
  EXPECT_EQ(check.status, 2);
  const struct {
    const char* name;
    const char* why;
  } rows[] = {{"pw.dvg", "a symbolic link: not read"},
              {"answer.dvg", "a symbolic link: not read"},
              {"folder.dvg", "a symbolic link: not read"},
              {"huge.dvg", "too long: over 2147483647 bytes, more than the editor opens"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // Scored against a reference, an entry not read gets the dash of a run that did not end.
    EXPECT_NE(run.out.find(std::string(row.name) + "\t2\tunreadable\t" + row.why + "\t\t—\t\t"),
              std::string::npos)
        << run.out;
    EXPECT_NE(check.out.find(std::string(row.name) + ": " + row.why), std::string::npos);
  }
  for (const char* output : {"summary.txt", "summary.csv", "report.html"})
    EXPECT_FALSE(ReadAll(out_ + "/" + output).contains("root:x")) << output;
  EXPECT_EQ(check.out.find("root:x"), std::string::npos);
}

// A single script and --check run under the folder's limits: memory (a
// canvas of 8192x8192 needs more than 100 MB) and time, which counts from
// the start, so a script that takes long to read and check is stopped.
TEST(RunLimits, HoldForASingleScriptAndTheChecker) {
  QTemporaryDir folder;
  Write(folder.filePath("go.dvg"), "go 5");
  Write(folder.filePath("long.dvg"), QByteArray(50 << 20, 'x'));
  const struct {
    const char* what;
    std::string arguments;
    int status;
    const char* said;
    bool memory_limit = false;  // a sanitizer's allocator takes no address space limit
  } cases[] = {
      {"a canvas over the memory limit", "--memory-limit 100 --size 8192x8192 go.dvg", 2,
       "not enough memory for a canvas", true},
      {"the same within the default limit", "--size 8192x8192 go.dvg", 0, ""},
      {"checking past the timeout", "--check --timeout 0 long.dvg", 2,
       "took longer than --timeout allows"},
      {"checking out of memory", "--check --memory-limit 64 long.dvg", 2, "out of memory", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
#ifdef DRAVEL_SANITIZED
    if (c.memory_limit) continue;
#endif
    const Result result = RunCommand("cd " + Quoted(folder.path()) + " && " + DRAVEL_RENDER + " " +
                                     c.arguments + " 2>&1 >/dev/null");
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE(result.out.find(c.said), std::string::npos) << result.out;
  }
}

}  // namespace
}  // namespace dravel
