// The canvas shared between the window's threads: the one plain canvas
// (canvas.h) and the one lock that guards it, with what sharing needs and
// nothing more: a run's session, whose turtle operations are refused once it
// is stopped, and batches of a run's operations under one hold of the lock.
// A run calls the turtle operations through its session's turtle
// (TurtleFor); the window's thread calls them through Turtle() and reaches
// everything else of the canvas through Lock(). Long operations let waiting
// threads in at their checkpoints, so painting and stopping never wait for a
// huge circle to finish. No Qt.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "canvas/canvas.h"
#include "canvas/canvas_turtle.h"
#include "canvas/handover_lock.h"
#include "canvas/run_canvas.h"

namespace dravel {

class CanvasCore;

// A caller's way to the turtle model: a run's session, whose calls go in
// batches under one hold of the lock (CanvasCore::RunBatched) and are refused
// once it is stopped, or none (the window's own calls, which no stop refuses).
struct SessionGate {
  CanvasCore* core;
  const RunSession* session;

  template <typename Operation>
  void Do(Operation operation);
  void EndBatch();
};
using CanvasTurtle = GatedTurtle<SessionGate>;

// The canvas under the lock for as long as this lives: one statement
// (`core.Lock()->SetPenColour(c)`) or one block.
template <typename CanvasType>
class LockedCanvas {
 public:
  LockedCanvas(std::unique_lock<HandoverLock> lock, CanvasType& canvas)
      : lock_(std::move(lock)), canvas_(canvas) {}
  CanvasType* operator->() const { return &canvas_; }
  CanvasType& operator*() const { return canvas_; }

 private:
  std::unique_lock<HandoverLock> lock_;
  CanvasType& canvas_;
};

class CanvasCore final : public RunCanvas {
 public:
  // A canvas of `width` x `height` (Canvas::Create); null when its layers
  // cannot be had.
  static std::unique_ptr<CanvasCore> Create(int width, int height);
  ~CanvasCore() override;
  CanvasCore(const CanvasCore&) = delete;
  CanvasCore& operator=(const CanvasCore&) = delete;

  // The turtle operations of the window's own thread, which no stop refuses.
  TurtleOperations& Turtle() { return own_turtle_; }
  std::unique_ptr<TurtleOperations> TurtleFor(const RunSession& session) override;
  void UnderDrawingLock(const std::function<void()>& step) override;

  // The canvas under the lock. A batch this thread still holds is ended
  // first, so the run's own thread finds the lock free for it.
  LockedCanvas<Canvas> Lock() { return {TakeLock(), *canvas_}; }
  LockedCanvas<const Canvas> Lock() const { return {TakeLock(), *canvas_}; }

 private:
  friend struct SessionGate;

  explicit CanvasCore(std::unique_ptr<Canvas> canvas);

  std::unique_lock<HandoverLock> TakeLock() const {
    if (batch_owner_.load(std::memory_order_relaxed) == std::this_thread::get_id()) EndBatch();
    return std::unique_lock(lock_);
  }
  // Carries out `operation` on the model for `session` (null: the window's
  // own call) under the lock, unless the session is stopped.
  template <typename Operation>
  void Run(const RunSession* session, Operation operation) {
    auto lock = TakeLock();
    RunLocked(session, operation);
  }
  // As Run, for a run's turtle: the lock is kept for the next operation too,
  // up to kBatchOperations of them, until another thread waits for it or the
  // batch's time is up (EndBatch gives it back sooner).
  template <typename Operation>
  void RunBatched(const RunSession& session, Operation operation) {
    if (batch_owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) StartBatch();
    if (session.Stopped()) {
      EndBatch();  // a stopped run keeps nothing, the lock least of all
      return;
    }
    session_ = &session;
    canvas_->Run(operation);
    session_ = nullptr;
    if (++batch_operations_ % kBatchClockEvery == 0) CheckBatch();
    if (batch_operations_ >= kBatchOperations || lock_.Waiting()) EndBatch();
  }
  template <typename Operation>
  void RunLocked(const RunSession* session, Operation& operation) {
    if (session != nullptr && session->Stopped()) return;
    session_ = session;
    canvas_->Run(operation);
    session_ = nullptr;
  }
  void StartBatch();
  void CheckBatch();
  void EndBatch() const;
  // Inside a long operation: lets waiting threads in and tells the canvas
  // whether to go on.
  bool Checkpoint();

  static constexpr int kBatchOperations = 256;
  static constexpr int kBatchClockEvery = 32;
  static constexpr std::chrono::microseconds kBatchTime{500};

  mutable HandoverLock lock_;
  // The batch: the thread holding the lock across operations (none: the lock
  // is not held as a batch), its operations so far and its start.
  mutable std::atomic<std::thread::id> batch_owner_{};
  int batch_operations_ = 0;
  std::chrono::steady_clock::time_point batch_started_;
  const RunSession* session_ = nullptr;  // of the operation holding the lock
  std::unique_ptr<Canvas> canvas_;
  CanvasTurtle own_turtle_{SessionGate{this, nullptr}};
};

template <typename Operation>
void SessionGate::Do(Operation operation) {
  if (session == nullptr) {
    core->Run(nullptr, operation);
  } else {
    core->RunBatched(*session, operation);
  }
}

inline void SessionGate::EndBatch() { core->EndBatch(); }

}  // namespace dravel
