// StatusLine: the strip under the canvas that says where the run stands
// (就绪, 运行中, 已暂停, 单步, 已停止), its speed, and the current turtle's
// position, heading and pen (抬起 stands out: it is why nothing is drawn).
// The run's state and speed come from their owners' signals; the turtle is
// read on the window's thread through the canvas's lock, as a paint reads
// it: on a timer a few times a second and at the run's effects (its start,
// each paced command, its end), never more. Window thread only.
#pragma once

#include <QTimer>
#include <QWidget>

#include "canvas/turtle_model.h"
#include "mainwindow/run_controller.h"

class QLabel;

namespace dravel {

class CanvasCore;
class SettingsPage;

class StatusLine final : public QWidget {
  Q_OBJECT

 public:
  StatusLine(RunController& runs, SettingsPage& settings, CanvasCore& canvas, QWidget* parent);

  // Reads everything now.
  void Refresh();
  // The line as shown, its parts joined by two spaces (for tests and the
  // accessible name).
  QString Shown() const;

  // The words the line uses for `state`.
  static QString StateWord(RunController::State state);
  static QString TurtleWords(const TurtleState& turtle);

  static constexpr int kRefreshMs = 250;

 private:
  QLabel* AddPart(const char* name, int width);
  void ShowState();
  void ShowSpeed();
  void ShowTurtle();

  RunController& runs_;
  SettingsPage& settings_;
  CanvasCore& canvas_;
  QLabel* state_ = nullptr;
  QLabel* speed_ = nullptr;
  QLabel* place_ = nullptr;
  QLabel* pen_ = nullptr;
  QTimer timer_;
};

}  // namespace dravel
