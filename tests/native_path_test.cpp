// File names that are not UTF-8 (GBK names from archives made on Windows):
// Qt hands them over with U+FFFD in them, yet open, save and compile must
// reach the file's own bytes, and messages must show the name readably.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "mainwindow/dialog_service.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/native_path.h"
#include "mainwindow/source_files.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

namespace fs = std::filesystem;

TEST(ReadablePath, ReadsEachPartInItsOwnEncoding) {
  const struct {
    const char* name;
    std::string native;
    const char* utf8;
  } kCases[] = {
      {"ascii", "/tmp/star.dvg", "/tmp/star.dvg"},
      {"utf-8 folder, gbk file", "/home/用户/" + Gbk("五角星.dvg"), "/home/用户/五角星.dvg"},
      {"gbk folder, utf-8 file", Gbk("图形") + "/五角星.dvg", "图形/五角星.dvg"},
      {"neither", "/tmp/\xff.dvg", "/tmp/\xEF\xBF\xBD.dvg"},
      {"empty parts", "//a/", "//a/"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadablePath(c.native).toStdString(), c.utf8);
  }
}

class GbkFileNameTest : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    // QTemporaryDir removes by QString paths, which miss names that are no UTF-8.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Native(""), error)) {
      fs::remove_all(entry.path(), error);
    }
  }
  SourceFiles& Files() { return Window().Files(); }
  Text Messages() { return Hint().substr(Gbk("提示信息：\r\n").size()); }
  void ClearMessages() { Window().HintBox().SetContent(Gbk("提示信息：\r\n")); }
  std::string Native(const std::string& name) const {
    return QFile::encodeName(dir_.path()).toStdString() + "/" + name;
  }
  static QString Shown(const std::string& native) {
    return QFile::decodeName(QByteArray::fromStdString(native));
  }
  static void WriteNative(const std::string& native, const Text& bytes) {
    std::ofstream(native, std::ios::binary) << bytes;
  }
  static Text ReadNative(const std::string& native) {
    std::ifstream file(native, std::ios::binary);
    if (!file) return "<missing>";
    return Text(std::istreambuf_iterator<char>(file), {});
  }
  static std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().native());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Opened from the dialog (a lossy QString) or from the command line (bytes),
// in a folder whose own name may be GBK too: the save rewrites that file and
// the compile writes its program beside it under the same GBK name.
TEST_F(GbkFileNameTest, OpenSaveAndCompileKeepTheFilesOwnBytes) {
  const struct {
    const char* name;
    const char* folder_utf8;
    Text folder;
    bool from_dialog;
  } kCases[] = {
      {"dialog, utf-8 folder", "plain", "plain", true},
      {"dialog, gbk folder", "图形", Gbk("图形"), true},
      {"command line", "命令", Gbk("命令"), false},
  };
  const Text script = Gbk("重复 5 【前进 100|右转 144】");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string folder = Native(c.folder);
    ASSERT_TRUE(fs::create_directory(folder));
    const std::string source = folder + "/" + Gbk("五角星.dvg");
    const std::string program = folder + "/" + Gbk("五角星.dv");
    WriteNative(source, script);
    ClearMessages();
    if (c.from_dialog) {
      dialogs_.file_answers = {Shown(source)};
      Files().Open();
    } else {
      Files().OpenNativePath(source);
    }
    EXPECT_EQ(Window().Editor().Content(), script);
    const std::string readable = dir_.path().toStdString() + "/" + c.folder_utf8 + "/五角星.dvg";
    EXPECT_EQ(Messages(), Gbk("打开 " + readable + " 成功！\r\n"));

    QTest::keyClicks(&Window().Editor(), "go 1");
    const Text edited = Window().Editor().Content();
    Files().Save();  // the opened file, no dialog
    EXPECT_EQ(ReadNative(source), edited);
    EXPECT_EQ(Files().SourceChanged(), 0);

    dialogs_.file_answers = {Shown(program)};
    Files().Compile();
    EXPECT_EQ(dialogs_.files_shown.back().FileName(), Shown(program));  // proposed
    EXPECT_EQ(ReadNative(program), edited);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{Gbk("五角星.dv"), Gbk("五角星.dvg")}));
  }
}

// Names of the same length whose bytes are all invalid UTF-8 look alike to Qt;
// when two are there, which one was meant cannot be told, so none is opened.
TEST_F(GbkFileNameTest, OnlyAnUnambiguousNameIsFound) {
  const Text star = Gbk("五角星.dvg");
  const Text hexagon = Gbk("六边形.dvg");
  ASSERT_EQ(Shown(star), Shown(hexagon));
  const struct {
    const char* name;
    std::vector<Text> files;
    bool opens;
  } kCases[] = {
      {"one", {star}, true},
      {"two alike", {star, hexagon}, false},
      {"none", {}, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(Native(""))) fs::remove(entry.path());
    for (const Text& file : c.files) WriteNative(Native(file), file);
    ClearMessages();
    Files().New();
    ClearMessages();
    dialogs_.file_answers = {Shown(Native(star))};
    Files().Open();
    EXPECT_EQ(Window().Editor().Content(), c.opens ? star : "");
    const Text outcome = Gbk(c.opens ? " 成功！\r\n" : " 失败！\r\n");
    EXPECT_TRUE(Messages().ends_with(outcome)) << Utf8(Messages());
  }
}

// Qt's own file dialog checks that an opened file exists by the name it shows,
// which a GBK name never has; the dialog must still take the file.
TEST_F(GbkFileNameTest, OpenDialogTakesAFileNamedInGbk) {
  const std::string source = Native(Gbk("五角星.dvg"));
  WriteNative(source, "go 1");
  CommonDialog dialog;
  dialog.SetFileMustExist(true);
  const struct {
    const char* name;
    QString path;
    bool taken;
  } kCases[] = {
      {"gbk name", Shown(source), true},
      {"missing", Shown(Native("missing.dvg")), false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    dialog.SetFileName(c.path);
    bool refused = false;
    QTimer::singleShot(0, [&refused] {
      auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      // A refusal is a warning box over the dialog: close it, then the dialog.
      QTimer closer;
      closer.setSingleShot(true);
      QObject::connect(&closer, &QTimer::timeout, [&refused] {
        refused = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
        if (refused) QApplication::activeModalWidget()->close();
      });
      closer.start(0);
      QMetaObject::invokeMethod(box, "accept");
      if (box->isVisible()) box->reject();
    });
    QtDialogService dialogs;
    EXPECT_EQ(dialogs.ShowFileDialog(dialog), c.taken);
    EXPECT_EQ(refused, !c.taken);
    EXPECT_EQ(dialog.FileName(), c.path);  // a refused dialog leaves it as it was
  }
}

}  // namespace
}  // namespace dravel::testing
