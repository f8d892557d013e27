#include "canvas/canvas_core.h"

namespace dravel {

std::unique_ptr<CanvasCore> CanvasCore::Create(int width, int height) {
  std::unique_ptr<Canvas> canvas = Canvas::Create(width, height);
  if (!canvas) return nullptr;
  return std::unique_ptr<CanvasCore>(new CanvasCore(std::move(canvas)));
}

CanvasCore::CanvasCore(std::unique_ptr<Canvas> canvas) : canvas_(std::move(canvas)) {
  canvas_->SetCheckpoint([this] { return Checkpoint(); });
}

CanvasCore::~CanvasCore() = default;

void CanvasCore::StartBatch() {
  lock_.lock();
  batch_owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  batch_operations_ = 0;
  batch_started_ = std::chrono::steady_clock::now();
}

void CanvasCore::CheckBatch() {
  if (std::chrono::steady_clock::now() - batch_started_ > kBatchTime) EndBatch();
}

void CanvasCore::EndBatch() const {
  if (batch_owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
  // Nothing of the batch is touched once the lock is given back: the next
  // holder may start its own at once.
  batch_owner_.store({}, std::memory_order_relaxed);
  lock_.unlock();
}

std::unique_ptr<TurtleOperations> CanvasCore::TurtleFor(const RunSession& session) {
  return std::make_unique<CanvasTurtle>(SessionGate{this, &session});
}

void CanvasCore::UnderDrawingLock(const std::function<void()>& step) {
  auto lock = TakeLock();
  step();
}

// Another operation may run while the lock is handed over, and another run's
// thread may start and end a batch of its own in that time; this operation's
// session and batch come back with the lock.
bool CanvasCore::Checkpoint() {
  const RunSession* mine = session_;
  const std::thread::id batch_owner = batch_owner_.load(std::memory_order_relaxed);
  const int batch_operations = batch_operations_;
  const auto batch_started = batch_started_;
  batch_owner_.store({}, std::memory_order_relaxed);
  lock_.Yield();
  batch_owner_.store(batch_owner, std::memory_order_relaxed);
  batch_operations_ = batch_operations;
  batch_started_ = batch_started;
  session_ = mine;
  return session_ == nullptr || !session_->Stopped();
}

}  // namespace dravel
