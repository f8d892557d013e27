// The canvas's right-click menu and its keyboard shortcuts: "保存图片…" (PNG
// of the visible layer, or SVG of the recorded drawing, by the file type
// chosen), "复制图片" (the visible layer to the clipboard) and "打印…" (the
// print dialog, then the drawing as vectors scaled to the page). The file and
// print dialogs are hooks, so tests answer them at once; the outcome of a
// save or print goes out as one GBK hint-box line for the window to append.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QPrinter;
class QWidget;

namespace dravel {

class CanvasCore;

// Menu texts and messages, exact GBK bytes.
inline constexpr char kSavePictureText[] = "\xb1\xa3\xb4\xe6\xcd\xbc\xc6\xac\xa1\xad";  // 保存图片…
inline constexpr char kCopyPictureText[] = "\xb8\xb4\xd6\xc6\xcd\xbc\xc6\xac";          // 复制图片
inline constexpr char kPrintPictureText[] = "\xb4\xf2\xd3\xa1\xa1\xad";                 // 打印…
// 图片已保存：
inline constexpr char kPictureSaved[] = "\xcd\xbc\xc6\xac\xd2\xd1\xb1\xa3\xb4\xe6\xa3\xba";
// 图片保存失败：
inline constexpr char kPictureNotSaved[] =
    "\xcd\xbc\xc6\xac\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc\xa3\xba";
// 打印失败！\r\n
inline constexpr char kPrintFailed[] = "\xb4\xf2\xd3\xa1\xca\xa7\xb0\xdc\xa3\xa1\r\n";

class CanvasContextMenu : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    // The file to save to, its extension saying the format; empty: cancelled.
    std::function<QString(QWidget* parent)> choose_file;
    // Sets `printer` up; false: cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer)> choose_printer;
  };

  // Becomes a child of `canvas` and adds its actions there; `core` must
  // outlive it. The Qt dialogs are the hooks until SetHooks.
  CanvasContextMenu(QWidget* canvas, CanvasCore& core);

  void SetHooks(Hooks hooks);
  QMenu* Menu() const { return menu_; }

  void SavePicture();
  void CopyPicture();
  void PrintPicture();

 signals:
  // One hint-box line (GBK, ending in CR LF) about a save or print.
  void messageRaised(const QByteArray& gbk_line);

 private:
  QAction* AddAction(const char* gbk_text, const QKeySequence& keys, void (CanvasContextMenu::*slot)());

  QWidget* canvas_;
  CanvasCore& core_;
  Hooks hooks_;
  QMenu* menu_;
};

}  // namespace dravel
