// New, open, save, compile and the save prompt through the real window, with
// the dialogs answered from a script: messages, file bytes, the flag, and
// the failure paths that must never lose what was typed.
#include <QDir>
#include <QTest>

#include "interpreter/command_list.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/source_files.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

class SourceFilesTest : public WindowTest {
 protected:
  SourceFiles& Files() { return Window().Files(); }
  EditBox& Editor() { return Window().Editor(); }
  void Type(const char* keys) { QTest::keyClicks(&Editor(), keys); }
  // The hint box's text after its initial line.
  Text Messages() { return Hint().substr(Gbk("提示信息：\r\n").size()); }
  static Text PathText(const QString& path) { return Gbk(path.toStdString()); }
};

TEST_F(SourceFilesTest, EditsSetTheFlagAndNewOpenSaveClearIt) {
  Type("a");
  EXPECT_EQ(Files().SourceChanged(), 1);
  dialogs_.box_answers = {BoxAnswer::kNo};
  Files().New();
  EXPECT_EQ(Files().SourceChanged(), 0);
  EXPECT_EQ(Editor().Content(), "");
  EXPECT_EQ(Messages(), Gbk("新建Dravel源码成功！\r\n"));
  Type("b");
  const QString path = PathOf("one.dvg");
  dialogs_.file_answers = {path};
  Files().Save();
  EXPECT_EQ(Files().SourceChanged(), 0);
  Type("c");
  dialogs_.box_answers = {BoxAnswer::kNo};
  dialogs_.file_answers = {path};
  Files().Open();
  EXPECT_EQ(Files().SourceChanged(), 0);
  EXPECT_EQ(Editor().Content(), "b");
}

TEST_F(SourceFilesTest, NewWithACleanFlagAsksNothing) {
  Files().New();
  Files().New();
  EXPECT_TRUE(dialogs_.boxes_shown.empty());
  EXPECT_EQ(Messages(), Gbk("新建Dravel源码成功！\r\n新建Dravel源码成功！\r\n"));
}

TEST_F(SourceFilesTest, PromptYesSavesAndTheNextMessageFollowsOnTheSameLine) {
  Type("x");
  const Text script = Editor().Content();
  const QString path = PathOf("star.dvg");
  dialogs_.box_answers = {BoxAnswer::kYes};
  dialogs_.file_answers = {path};
  Files().New();
  EXPECT_EQ(ReadFile(path), script);
  EXPECT_EQ(Messages(), Gbk("保存 ") + PathText(path) + Gbk(" 成功！新建Dravel源码成功！\r\n"));
  EXPECT_EQ(Files().SourceChanged(), 0);
  EXPECT_EQ(Editor().Content(), "");
}

TEST_F(SourceFilesTest, PromptCancelKeepsEverything) {
  Type("x");
  const Text script = Editor().Content();
  dialogs_.box_answers = {BoxAnswer::kCancel, BoxAnswer::kCancel};
  Files().New();
  Files().Open();
  EXPECT_EQ(Editor().Content(), script);
  EXPECT_EQ(Files().SourceChanged(), 1);
  EXPECT_EQ(Messages(), "");
}

TEST_F(SourceFilesTest, OpenAndSaveGiveBackTheBytes) {
  const struct {
    const char* name;
    Text file;
    Text editor;
  } kCases[] = {
      {"crlf", Gbk("前进 100\r\n //注释\r\n\r\n左转 90"),
       Gbk("前进 100\r\n //注释\r\n\r\n左转 90")},
      {"lone lf", "go 1\nleft 2\n", "go 1\r\nleft 2\r\n"},
      {"lone cr", "go 1\rleft 2", "go 1\r\nleft 2"},
      {"zero byte", Text("go 1\r\n\0go 2", 11), "go 1\r\n"},
      {"empty", "", ""},
      // Bytes that are not GBK come back as they were: a lone lead byte at a
      // line's end and at the file's end, 0x80, 0xFF, a lead byte before an
      // invalid trail byte, a pair GBK leaves unassigned.
      {"not gbk", "go 1\xc7\r\n\x80\xff\xff\r\n\x81 x\xaa\xa1\r\ngo\xc7",
       "go 1\xc7\r\n\x80\xff\xff\r\n\x81 x\xaa\xa1\r\ngo\xc7"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const QString source = PathOf("in.dvg");
    const QString copy = PathOf("out.dvg");
    WriteFile(source, c.file);
    dialogs_.file_answers = {source};
    Files().Open();
    EXPECT_EQ(Editor().Content(), c.editor);
    EXPECT_EQ(Messages(), Gbk("打开 ") + PathText(source) + Gbk(" 成功！\r\n"));
    Files().Save();  // the opened path, no dialog
    EXPECT_EQ(ReadFile(source), c.editor);
    Window().HintBox().SetContent(Gbk("提示信息：\r\n"));
    Files().New();
    Window().HintBox().SetContent(Gbk("提示信息：\r\n"));
  }
}

TEST_F(SourceFilesTest, SaveTwiceWritesTheSamePathWithoutADialog) {
  const QString path = PathOf("twice.dvg");
  dialogs_.file_answers = {path};
  Files().Save();
  Type("y");
  Files().Save();
  EXPECT_EQ(dialogs_.files_shown.size(), 1u);
  EXPECT_EQ(ReadFile(path), Editor().Content());
  const Text line = Gbk("保存 ") + PathText(path) + Gbk(" 成功！\r\n");
  EXPECT_EQ(Messages(), line + line);
}

TEST_F(SourceFilesTest, DialogsAreSetUpForTheirFiles) {
  dialogs_.file_answers = {std::nullopt, std::nullopt, std::nullopt};
  Files().Open();
  Files().Save();
  Files().Compile();
  ASSERT_EQ(dialogs_.files_shown.size(), 3u);
  const CommonDialog& open = dialogs_.files_shown[0];
  const CommonDialog& save = dialogs_.files_shown[1];
  const CommonDialog& compile = dialogs_.files_shown[2];
  EXPECT_EQ(open.Kind(), DialogKind::kOpenFile);
  EXPECT_EQ(open.Filter(), Gbk("Dravel源码（*.DVG）|*.dvg"));
  EXPECT_EQ(open.DefaultExt(), "dvg");
  EXPECT_TRUE(open.FileMustExist());
  EXPECT_EQ(save.Kind(), DialogKind::kSaveFile);
  EXPECT_EQ(save.Filter(), Gbk("Dravel源码（*.DVG）|*.dvg"));
  // A save may name a file that does not exist yet.
  EXPECT_FALSE(save.FileMustExist());
  EXPECT_EQ(compile.Kind(), DialogKind::kSaveFile);
  EXPECT_EQ(compile.Filter(), Gbk("Dravel程序（*.DV）|*.dv"));
  EXPECT_EQ(compile.DefaultExt(), "dv");
  EXPECT_FALSE(compile.FileMustExist());
  EXPECT_EQ(Messages(), "");
}

TEST_F(SourceFilesTest, CancellingOpenKeepsTheFlag) {
  Type("x");
  dialogs_.box_answers = {BoxAnswer::kNo};
  dialogs_.file_answers = {std::nullopt};
  Files().Open();
  EXPECT_EQ(Files().SourceChanged(), 1);
  EXPECT_EQ(Messages(), "");
}

TEST_F(SourceFilesTest, CompileKeepsTheSourcePathForLaterSaves) {
  const QString source = PathOf("prog.dvg");
  dialogs_.file_answers = {source};
  Files().Save();
  const Text script = Editor().Content();
  const QString program = PathOf("prog.dv");
  dialogs_.file_answers = {program};
  Files().Compile();
  EXPECT_EQ(dialogs_.files_shown.back().FileName(), program);  // proposed from the source name
  EXPECT_EQ(ReadFile(program), script);                        // no stop keyword in it
  EXPECT_EQ(Files().SourceChanged(), 0);
  Type("z");
  Files().Save();
  EXPECT_EQ(ReadFile(source), Editor().Content());
  EXPECT_EQ(ReadFile(program), script);
}

TEST_F(SourceFilesTest, CompileDropsStopKeywordsOnly) {
  Editor().SetContent(Gbk("停止\r\n停止 //x\r\nnonstop STOP Stop\r\n") + "\xb0\x73top");
  const Text before = Editor().Content();
  const int flag = Files().SourceChanged();
  const QString program = PathOf("out.dv");
  dialogs_.file_answers = {program};
  Files().Compile();
  EXPECT_EQ(ReadFile(program), Gbk("\r\n //x\r\nnon STOP Stop\r\n") + "\xb0\x73top");
  EXPECT_EQ(Editor().Content(), before);
  EXPECT_EQ(Files().SourceChanged(), flag);
  EXPECT_EQ(Messages(), Gbk("编译Dravel源码到 ") + PathText(program) + Gbk(" 成功！\r\n"));
}

TEST_F(SourceFilesTest, CancelledCompileWritesNothing) {
  dialogs_.file_answers = {std::nullopt};
  Files().Compile();
  EXPECT_EQ(Messages(), "");
  EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

// A folder where a file is expected: every write there fails.
TEST_F(SourceFilesTest, FailedWritesAreReportedAndKeepTheFlag) {
  const QString blocked = PathOf("blocked.dvg");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("blocked.dvg"));
  Type("x");
  dialogs_.file_answers = {blocked};
  Files().Save();
  EXPECT_EQ(Files().SourceChanged(), 1);
  const Text save_failed = Gbk("保存 ") + PathText(blocked) + Gbk(" 失败！\r\n");
  EXPECT_EQ(Messages(), save_failed);
  // The path that failed is not kept: the next save asks again.
  dialogs_.file_answers = {std::nullopt};
  Files().Save();
  dialogs_.file_answers = {blocked};
  Files().Compile();
  EXPECT_EQ(Messages(),
            save_failed + Gbk("编译Dravel源码到 ") + PathText(blocked) + Gbk(" 失败！\r\n"));
}

TEST_F(SourceFilesTest, PromptedSaveThatDoesNotHappenStopsTheCommand) {
  const QString blocked = PathOf("blocked.dvg");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("blocked.dvg"));
  Type("x");
  const Text typed = Editor().Content();
  const struct {
    const char* name;
    std::optional<QString> answer;
  } kCases[] = {{"dialog cancelled", std::nullopt}, {"write failed", blocked}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    dialogs_.box_answers = {BoxAnswer::kYes};
    dialogs_.file_answers = {c.answer};
    Files().New();
    EXPECT_EQ(Editor().Content(), typed);
    EXPECT_EQ(Files().SourceChanged(), 1);
    dialogs_.box_answers = {BoxAnswer::kYes};
    dialogs_.file_answers = {c.answer};
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
  }
}

TEST_F(SourceFilesTest, UnreadableFileKeepsTheEditor) {
  const Text before = Editor().Content();
  const QString missing = PathOf("missing.dvg");
  dialogs_.file_answers = {missing};
  Files().Open();
  EXPECT_EQ(Editor().Content(), before);
  EXPECT_EQ(Messages(), Gbk("打开 ") + PathText(missing) + Gbk(" 失败！\r\n"));
  EXPECT_EQ(Files().SourcePath(), QString());
}

// A UTF-8 file (a learner's editor saved it so) is converted when the user
// says yes, opened as GBK bytes when no; ASCII reads the same both ways and
// is never asked about.
TEST_F(SourceFilesTest, OpeningUtf8AsksWhetherToConvert) {
  const QString path = PathOf("utf8.dvg");
  const std::string utf8 = "\xef\xbb\xbf前进 100\r\n写文字 😀";
  WriteFile(path, utf8);
  dialogs_.file_answers = {path};
  dialogs_.box_answers = {BoxAnswer::kYes};
  Files().Open();
  EXPECT_EQ(dialogs_.box_styles.back(), kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(Utf8(FromWidgetText(Editor().toPlainText())), "前进 100\r\n写文字 ?");
  EXPECT_EQ(Files().SourceChanged(), 1);
  EXPECT_TRUE(Messages().ends_with(Gbk(" 成功！\r\n第2行含有无法保存的字符！\r\n")));

  dialogs_.file_answers = {path};
  dialogs_.box_answers = {BoxAnswer::kNo, BoxAnswer::kNo};  // the save prompt, then the question
  Files().Open();
  EXPECT_EQ(Editor().Content(), ScriptFromFileBytes(utf8));
  EXPECT_EQ(Files().SourceChanged(), 0);

  const size_t boxes = dialogs_.boxes_shown.size();
  WriteFile(path, "go 100\r\n");
  dialogs_.file_answers = {path};
  Files().Open();
  EXPECT_EQ(dialogs_.boxes_shown.size(), boxes);
  EXPECT_EQ(Editor().Content(), "go 100\r\n");
}

TEST_F(SourceFilesTest, CompileKeepsBytesThatAreNotGbk) {
  const Text script = "go 1\xff\r\nstop\x81\r\n\xc7";
  const QString source = PathOf("odd.dvg");
  WriteFile(source, script);
  dialogs_.file_answers = {source};
  Files().Open();
  EXPECT_EQ(Editor().Content(), script);  // what a run reads
  const QString program = PathOf("odd.dv");
  dialogs_.file_answers = {program};
  Files().Compile();
  EXPECT_EQ(ReadFile(program), "go 1\xff\r\n\x81\r\n\xc7");
}

// A save or compile of a script GBK cannot hold asks first, naming the
// character; No writes nothing and says no success, Yes writes '?' for it.
TEST_F(SourceFilesTest, TextGbkCannotHoldIsNeverDroppedSilently) {
  const QString path = PathOf("emoji.dvg");
  WriteFile(path, "old");
  Editor().setPlainText(
      QString::fromUtf8("go 1\nleft 2 \xF0\x9F\x98\x80\nback 3 \xF0\x9F\x98\x80"));
  dialogs_.file_answers = {path};
  dialogs_.choice_answers = {1};
  Files().Save();
  ASSERT_EQ(dialogs_.choice_texts.size(), 1u);
  EXPECT_EQ(dialogs_.choice_texts.back(),
            QString::fromUtf8("脚本里有 GBK 无法保存的字符“\xF0\x9F\x98\x80”（第 2 行），"
                              "保存后会变成“?”。仍然保存吗？"));
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(Files().SourceChanged(), 1);
  const Text line = Gbk("第2行含有无法保存的字符！\r\n");
  EXPECT_EQ(Messages(), line + Gbk("保存 ") + PathText(path) + Gbk(" 失败！\r\n"));
  const QString program = PathOf("emoji.dv");
  dialogs_.file_answers = {program};
  dialogs_.choice_answers = {1};
  Files().Compile();
  EXPECT_EQ(ReadFile(program), "<missing>");
  EXPECT_EQ(dialogs_.choice_texts.size(), 2u);

  dialogs_.file_answers = {path};
  dialogs_.choice_answers = {0};
  Files().Save();
  EXPECT_EQ(ReadFile(path), "go 1\r\nleft 2 ?\r\nback 3 ?");
  EXPECT_EQ(Files().SourceChanged(), 0);
  EXPECT_TRUE(Messages().ends_with(Gbk(" 成功！\r\n")));
}

}  // namespace
}  // namespace dravel::testing
