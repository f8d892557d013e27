// The canvas's right-click menu and its keyboard shortcuts: "保存图片…" (PNG
// of the visible layer, or SVG of the recorded drawing, by the file type
// chosen), "复制图片" (the visible layer to the clipboard) and "打印…" (the
// print dialog, then the drawing as vectors scaled to the page). The file and
// print dialogs are hooks, so tests answer them at once; the outcome of a
// save or print, and a copy that failed, goes out as one hint-box line for
// the window to append.
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
  // One hint-box line (ending in CR LF) about a save, a print or a copy.
  void MessageRaised(const QString& line);

 private:
  QAction* AddAction(const QString& text, const QKeySequence& keys,
                     void (CanvasContextMenu::*slot)());

  QWidget* canvas_;
  CanvasCore& core_;
  Hooks hooks_;
  QMenu* menu_;
};

}  // namespace dravel
