// The README's screenshots (docs_screenshots FOLDER, under Xvfb): the window
// after a run of its example, the window with the checker's marks, the editor with one marked line
// at 100 %, the save prompt and the file dialog in Chinese, the command reference, the example
// chooser, the find bar, the status line after the sun example and the text example; under
// QT_SCALE_FACTOR=2, the canvas at device pixel ratio 2 and the whole window. Each modal dialog is
// grabbed once it shows, then closed.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPainter>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <cstdio>
#include <functional>

#include "canvas/qt_pixels.h"
#include "canvas/turtle_canvas.h"
#include "mainwindow/command_reference.h"
#include "mainwindow/dialog_service.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/main_window.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/source_files.h"
#include "mainwindow/status_line.h"
#include "mainwindow/translations.h"
#include "runtime/gbk_codec.h"

namespace dravel::bench {
namespace {

QString out_folder;

void Settle(int ms = 300) {
  QTimer wait;
  wait.setSingleShot(true);
  wait.start(ms);
  while (wait.isActive()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Saves the next modal dialog as `name`, then lets `close` close it.
void GrabModal(const QString& name, std::function<void(QWidget*)> close) {
  QTimer::singleShot(500, [name, close] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      std::fprintf(stderr, "no dialog for %s\n", qPrintable(name));
      return;
    }
    modal->grab().save(out_folder + "/" + name);
    close(modal);
  });
}

// The window as it starts, after a run of the example script it holds.
void StartingWindow(MainWindow& window) {
  window.StartRun();
  window.WaitForRun();
  window.StatusLine().Refresh();
  Settle();
  window.grab().save(out_folder + "/screenshot.png");
}

void CheckerMarks(MainWindow& window) {
  window.Editor().SetContent(Utf8ToGbk(
      " //这几行各有一个小错误：\r\n重复 4 【前进 100｜右转 90】\r\n前近 100\r\n前进　100\r\n"
      "重复 0 【前进 10】"));
  Settle();
  ScriptEditor& editor = window.ScriptEditor();
  editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(1)));
  window.grab().save(out_folder + "/checker.png");
}

// One slip among clean lines, as a class sees it on the projector.
void MarkedLine(MainWindow& window) {
  window.Editor().SetContent(
      Utf8ToGbk(" //画一个正方形：\r\n抬笔\r\n置坐标 -50 -50\r\n落笔\r\n"
                "重复 4 【前进 100，右转 90】\r\n写文字 正方形"));
  Settle();
  ScriptEditor& editor = window.ScriptEditor();
  editor.setTextCursor(QTextCursor(editor.document()->lastBlock()));
  editor.grab().save(out_folder + "/marked-line.png");
}

void Dialogs(MainWindow& window) {
  QtDialogService dialogs;
  GrabModal("save-prompt.png", [](QWidget* box) { box->close(); });
  dialogs.ShowMessageBox(Utf8ToGbk("源码已更改，请问是否保存？"), kMbYesNoCancel | kMbIconQuestion,
                         Utf8ToGbk("信息："));
  CommonDialog dialog;
  dialog.SetFilter(Utf8ToGbk("Dravel源码（*.DVG）|*.dvg"));
  GrabModal("file-dialog.png", [](QWidget* box) { QMetaObject::invokeMethod(box, "reject"); });
  dialogs.ShowFileDialog(dialog);
  (void)window;
}

void Reference(MainWindow& window) {
  CommandReference& reference = window.ShowReference();
  Settle();
  reference.grab().save(out_folder + "/reference.png");
  reference.close();
}

void Chooser(MainWindow& window) {
  ExampleChooser& chooser = window.ChooseExample();
  chooser.List().setCurrentRow(3);
  Settle();
  chooser.grab().save(out_folder + "/examples.png");
  chooser.reject();
}

void FindBarShot(MainWindow& window) {
  window.Editor().SetContent(
      Utf8ToGbk("重复 4 【前进 100｜右转 90】\r\n前进 50\r\n右转 45\r\n前进 50\r\n"
                "颜色 红\r\n前进 100\r\n"));
  FindBar& bar = window.OpenFindBar(true);
  bar.SetWords(QStringLiteral("前进"));
  bar.SetReplacement(QStringLiteral("后退"));
  bar.FindNext();
  bar.FindNext();
  Settle();
  window.grab().save(out_folder + "/find-bar.png");
  bar.Close();
}

// The window after a run of the example named `ending` (without a save prompt), as `file`.
void ExampleShot(MainWindow& window, const QString& ending, const QString& file) {
  for (const Example& example : Examples()) {
    if (!example.name.endsWith(ending)) continue;
    window.Files().TakeOver({});  // nothing to save: no prompt
    window.OpenExample(example);
    window.StartRun();
    window.WaitForRun();
    window.StatusLine().Refresh();
    Settle();
    window.grab().save(out_folder + "/" + file);
  }
}

// Run under QT_SCALE_FACTOR=2: the canvas as a screen of ratio 2 shows it,
// and a part of it beside the same part pixel-doubled from the layers.
void DenseCanvas(MainWindow& window) {
  window.Editor().SetContent(
      Utf8ToGbk("画圆 120\r\n重复 5 【前进 150|左转 144】\r\n抬笔\r\n置坐标 -330 160\r\n落笔\r\n"
                "右转 90\r\n写文字 画得清清楚楚\r\n置坐标 -250 60\r\n画椭圆 90 40\r\n"));
  window.StartRun();
  window.WaitForRun();
  Settle();
  QImage dense = window.Canvas().grab().toImage();
  dense.save(out_folder + "/canvas-ratio-2.png");
  dense.setDevicePixelRatio(1);
  const QRect part(20, 20, 220, 150);
  const QImage frame = FrameImage(*window.Canvas().Core().Lock());
  const QImage doubled = frame.copy(part).scaled(part.size() * 2);
  QImage pair(part.width() * 4 + 8, part.height() * 2, QImage::Format_RGB32);
  pair.fill(Qt::white);
  QPainter painter(&pair);
  painter.drawImage(0, 0, doubled);
  painter.drawImage(part.width() * 2 + 8, 0,
                    dense.copy(QRect(part.topLeft() * 2, part.size() * 2)));
  painter.end();
  pair.save(out_folder + "/canvas-ratio-2-compare.png");
}

// Under a scale factor (a 显示比例 of the settings page, or QT_SCALE_FACTOR):
// the whole window after the example script has run, as the back row sees
// it on a projector.
void ScaledWindow(MainWindow& window) {
  window.Canvas().Core().Turtle().Clear();
  window.Editor().SetContent(
      Utf8ToGbk(" //画五角星：\r\n次数 1\r\n重复 5 【前进 100|左转 144】\r\n写文字 五角星"));
  window.StartRun();
  window.WaitForRun();
  Settle();
  const int percent = qRound(window.devicePixelRatioF() * 100);
  window.grab().save(out_folder + QStringLiteral("/window-%1.png").arg(percent));
}

}  // namespace
}  // namespace dravel::bench

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  dravel::InstallQtTranslations(application);
  dravel::bench::out_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  dravel::QtDialogService dialogs;
  dravel::MainWindow window(dialogs);
  window.show();
  dravel::bench::Settle();
  if (window.devicePixelRatioF() > 1) {
    dravel::bench::DenseCanvas(window);
    dravel::bench::ScaledWindow(window);
    return 0;
  }
  dravel::bench::StartingWindow(window);
  dravel::bench::CheckerMarks(window);
  dravel::bench::MarkedLine(window);
  dravel::bench::Dialogs(window);
  dravel::bench::Reference(window);
  dravel::bench::Chooser(window);
  dravel::bench::FindBarShot(window);
  // The status line after the sun example: the pen left up, which is why a
  // line added after it would draw nothing.
  dravel::bench::ExampleShot(window, QStringLiteral("太阳"), "status-line.png");
  // Text, set in the bundled font.
  dravel::bench::ExampleShot(window, QStringLiteral("写字"), "text.png");
  return 0;
}
