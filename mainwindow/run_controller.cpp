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
  host_->SetEndSink([this] { emit RunEnded(); });
}

RunController::~RunController() {
  // The run goes before the pacer and the host it uses.
  driver_.reset();
}

void RunController::Start() {
  // A run the run button starts is not paused, whatever the last one left.
  if (pacer_->Paused()) {
    pacer_->Continue();
    emit PauseChanged(false);
  }
  Begin();
}

void RunController::Begin() {
  emit RunStarting();
  driver_->StartRun();
}

bool RunController::Stop() {
  const bool stopped = driver_->StopRun();
  // A later run starts unpaused.
  pacer_->Continue();
  emit PauseChanged(false);
  return stopped;
}

void RunController::Clear() {
  driver_->StopRun();
  // A stopped run draws nothing more, even while it is still returning.
  canvas_.Turtle().Clear();
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
  emit PauseChanged(true);
  if (!running) Begin();
}

void RunController::TogglePause() {
  if (pacer_->Paused()) {
    pacer_->Continue();
  } else {
    pacer_->Pause();
  }
  emit PauseChanged(pacer_->Paused());
}

bool RunController::Running() const { return driver_->Running(); }

bool RunController::Paused() const { return pacer_->Paused(); }

void RunController::WaitForRun(const std::function<void()>& meanwhile) {
  while (!driver_->WaitForRun(std::chrono::milliseconds(5))) {
    host_->DeliverAll();
    if (meanwhile) meanwhile();
  }
}

}  // namespace dravel
