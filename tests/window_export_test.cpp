// The export menu and file opening as the window wires them: a failed picture
// save appears in the hint box, and `dravel FILE.dvg` (OpenPath) opens the
// file as the open button does.
#include <QFile>

#include "canvas/canvas_context_menu.h"
#include "canvas/turtle_canvas.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow_test_fixture.h"

namespace dravel::testing {
namespace {

using WindowExportTest = WindowTest;

TEST_F(WindowExportTest, PictureSaveOutcomeGoesToTheHintBox) {
  CanvasContextMenu* menu = Window().Canvas().ContextMenu();
  ASSERT_NE(menu, nullptr);
  const QString missing = PathOf("none/p.png"), good = PathOf("p.svg");
  for (const QString& path : {missing, good}) {
    menu->SetHooks({[path](QWidget*) { return path; }, {}});
    menu->SavePicture();
  }
  const Text hint = Hint();
  EXPECT_NE(hint.find(Gbk("图片保存失败：") + missing.toStdString() + "\r\n"), Text::npos);
  EXPECT_TRUE(hint.ends_with(Gbk("图片已保存：") + good.toStdString() + "\r\n"));
  EXPECT_TRUE(QFile::exists(good));
}

TEST_F(WindowExportTest, OpenPathOpensAsTheOpenButtonDoes) {
  const QString path = PathOf("a.dvg");
  WriteFile(path, Gbk("前进 10\r\n"));
  Window().Files().OpenPath(path);
  const Text by_argument = Hint();
  EXPECT_EQ(Window().Editor().Content(), Gbk("前进 10\r\n"));
  EXPECT_EQ(Window().Files().SourcePath(), path);
  EXPECT_EQ(Window().Files().SourceChanged(), 0);

  dialogs_.file_answers.push_back(path);
  Window().Files().Open();
  const Text by_button = Hint();
  ASSERT_GT(by_button.size(), by_argument.size());
  EXPECT_EQ(by_button.substr(by_argument.size()),
            by_argument.substr(by_argument.size() - (by_button.size() - by_argument.size())));

  Window().Files().OpenPath(PathOf("missing.dvg"));
  EXPECT_EQ(Window().Editor().Content(), Gbk("前进 10\r\n"));  // a failed open keeps the script
}

}  // namespace
}  // namespace dravel::testing
