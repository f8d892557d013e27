// RunController: the window's one way to drive runs. It owns the window's side
// of a run (WindowRunHost), the run driver and the pacer. The buttons and keys
// start, stop, clear, step and pause through it; it tells the window where a
// run stands or failed, and when a run has ended. Window thread only.
#pragma once

#include <QObject>
#include <memory>

class QPushButton;

namespace dravel {

class CanvasCore;
class EditBox;
class IntegerBox;
class RunDriver;
class RunPacer;
class WindowRunHost;

class RunController final : public QObject {
  Q_OBJECT

 public:
  struct Controls {
    EditBox& editor;
    IntegerBox& run_count;
    EditBox& hint;
    QPushButton& run_button;
    CanvasCore& canvas;
  };

  RunController(const Controls& controls, QObject* parent);
  // Ends a run in progress before the controls go.
  ~RunController() override;

  // The run button: runs the editor's script, not paused.
  void Start();
  // The stop button: true when it ended a run in progress.
  bool Stop();
  // The clear button: stops a run in progress, then clears the canvas.
  void Clear();
  // As Clear, and the turtles start afresh as a new canvas has them: turtle 0
  // at home facing up, pen down, shown (an example opens so, and 重置).
  void Reset();
  // One command more; with no run in progress, starts one paused before its
  // first command.
  void Step();
  void TogglePause();

  // A run started and not yet ended by itself or stopped.
  bool Running() const;
  bool Paused() const;

  // Where runs stand, as the status line shows it: none since the last ended
  // by itself or failed (or none yet), running, held by 暂停, held after a
  // step, or none since the last was stopped.
  enum class State { kReady, kRunning, kPaused, kStepping, kStopped };
  State CurrentState() const;
  RunPacer& Pacer() const { return *pacer_; }
  WindowRunHost& Host() const { return *host_; }

  // Waits until the current run's thread has returned, applying its effects
  // meanwhile (a run may wait for the window to take them) and calling
  // `meanwhile` (when given) between waits; then every effect queued,
  // a stop's message included, has been applied.
  void WaitForRun(const std::function<void()>& meanwhile = {});

 signals:
  // Where a run failed (`failing`) or is about to run a command (paced
  // runs); `body_item` is 0 outside a repeat body or polygon.
  void LocationReported(int script_line, int body_item, bool failing);
  // Before a run starts.
  void RunStarting();
  // A run ended: by itself, by a failure or by a stop.
  void RunEnded();
  void PauseChanged(bool paused);
  // CurrentState may have changed.
  void StateChanged();

 private:
  void Begin();
  // Notes a run ended by the stop, clear or reset (when `stopped`).
  void NoteStop(bool stopped);

  CanvasCore& canvas_;
  std::unique_ptr<RunPacer> pacer_;
  std::unique_ptr<WindowRunHost> host_;
  std::unique_ptr<RunDriver> driver_;
  bool stepping_ = false;      // the pause is a step's
  bool last_stopped_ = false;  // the last run was stopped
};

}  // namespace dravel
