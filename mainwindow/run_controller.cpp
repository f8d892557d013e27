#include "mainwindow/run_controller.h"

#include "canvas/canvas_core.h"
#include "canvas/start_afresh.h"
#include "interpreter/run_driver.h"
#include "interpreter/run_pacer.h"
#include "mainwindow/window_run_host.h"

namespace dravel {

RunController::RunController(const Controls& controls, QObject* parent)
    : QObject(parent),
      canvas_(controls.canvas),
      pacer_(std::make_unique<RunPacer>()),
      host_(std::make_unique<WindowRunHost>(controls.editor, controls.run_count, controls.hint,
                                            controls.run_button)),
      driver_(std::make_unique<RunDriver>(*host_, canvas_)) {
  driver_->SetPacer(pacer_.get());
  host_->SetLocationSink(
      [this](int line, int item, bool failing) { emit LocationReported(line, item, failing); });
  host_->SetEndSink([this] {
    emit RunEnded();
    emit StateChanged();
  });
}

RunController::~RunController() {
  // The run goes before the pacer and the host it uses.
  driver_.reset();
}

void RunController::Start() {
  // A run the run button starts is not paused, whatever the last one left.
  stepping_ = false;
  if (pacer_->Paused()) {
    pacer_->Continue();
    emit PauseChanged(false);
  }
  Begin();
}

void RunController::Begin() {
  last_stopped_ = false;
  emit RunStarting();
  driver_->StartRun();
  emit StateChanged();
}

bool RunController::Stop() {
  const bool stopped = driver_->StopRun();
  NoteStop(stopped);
  // A later run starts unpaused.
  stepping_ = false;
  pacer_->Continue();
  emit PauseChanged(false);
  emit StateChanged();
  return stopped;
}

void RunController::Clear() {
  NoteStop(driver_->StopRun());
  // A stopped run draws nothing more, even while it is still returning.
  canvas_.Turtle().Clear();
  emit StateChanged();
}

void RunController::Reset() {
  Stop();
  // The turtles above turtle 0 already start afresh when next chosen.
  StartAfresh(canvas_.Turtle());
}

void RunController::Step() {
  // Asked once: the step may let the run finish at once, and must not then
  // start another.
  const bool running = Running();
  if (running) {
    pacer_->Step();
  } else {
    // A run started by a step waits before its first command.
    pacer_->Continue();
    pacer_->Pause();
  }
  stepping_ = true;
  emit PauseChanged(true);
  if (running) {
    emit StateChanged();
  } else {
    Begin();
  }
}

void RunController::TogglePause() {
  stepping_ = false;
  if (pacer_->Paused()) {
    pacer_->Continue();
  } else {
    pacer_->Pause();
  }
  emit PauseChanged(pacer_->Paused());
  emit StateChanged();
}

bool RunController::Running() const { return driver_->Running(); }

bool RunController::Paused() const { return pacer_->Paused(); }

RunController::State RunController::CurrentState() const {
  if (!Running()) return last_stopped_ ? State::kStopped : State::kReady;
  if (!pacer_->Paused()) return State::kRunning;
  return stepping_ ? State::kStepping : State::kPaused;
}

void RunController::NoteStop(bool stopped) {
  if (stopped) last_stopped_ = true;
}

void RunController::WaitForRun(const std::function<void()>& meanwhile) {
  while (!driver_->WaitForRun(std::chrono::milliseconds(5))) {
    host_->DeliverAll();
    if (meanwhile) meanwhile();
  }
  // What the run said last, or its stop's message, may still be queued even
  // when the thread had returned at the first look.
  host_->DeliverAll();
}

}  // namespace dravel
