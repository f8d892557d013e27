// The canvas without a window: the turtle model drawing on the raster
// surface, the sprite slots, the canvas's settings, and the one lock that
// guards them all. A run calls the turtle operations through its session's
// turtle (TurtleFor); the window's thread calls them through Turtle(), paints,
// resizes and animates. Every turtle operation of a session, and every
// drawing effect inside one, checks the session under the lock, and long
// operations let waiting threads in at their checkpoints, so painting and
// stopping never wait for a huge circle to finish.
#pragma once

#include <QImage>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "canvas/canvas_turtle.h"
#include "canvas/dense_layer.h"
#include "canvas/drawing_record.h"
#include "canvas/drawing_surface.h"
#include "canvas/handover_lock.h"
#include "canvas/raster_surface.h"
#include "canvas/run_canvas.h"
#include "canvas/sprite_images.h"
#include "canvas/turtle_model.h"

namespace dravel {

inline constexpr int kSpriteSlotCount = 21;  // turtles 0..19, 20 = preview

class CanvasCore;

// A caller's way to the turtle model: a run's session, whose calls go in
// batches under one hold of the lock (CanvasCore::RunBatched) and are refused
// once it is stopped, or none (the window's own calls, which no stop refuses).
struct SessionGate {
  CanvasCore* canvas;
  const RunSession* session;

  template <typename Operation>
  void Do(Operation operation);
  void EndBatch();
};
using CanvasTurtle = GatedTurtle<SessionGate>;

class CanvasCore final : public RunCanvas, private DrawingSurface {
 public:
  // Creates the layers at `width` x `height` (at least 1 x 1) with a black pen
  // on white, Fence mode, every slot showing image set 1, and turtle 0 at home.
  CanvasCore(int width, int height);
  ~CanvasCore() override;
  CanvasCore(const CanvasCore&) = delete;
  CanvasCore& operator=(const CanvasCore&) = delete;

  // The turtle operations of the window's own thread, which no stop refuses.
  TurtleOperations& Turtle() { return own_turtle_; }
  std::unique_ptr<TurtleOperations> TurtleFor(const RunSession& session) override;
  void UnderDrawingLock(const std::function<void()>& step) override;

  // The canvas's settings, kept here alone.
  void SetEdgeMode(EdgeMode mode);
  EdgeMode GetEdgeMode() const;
  // 0x00BBGGRR, as set: the key colour itself is drawn one blue step up.
  void SetPenColour(uint32_t colour);
  uint32_t PenColour() const;
  void SetBackgroundColour(uint32_t colour);
  uint32_t BackgroundColour() const;
  // Out-of-range widths (<= 0 or > 65534) become 1.
  void SetPenWidth(int width);
  int PenWidth() const;
  // A null picture removes it; the visible layer is rebuilt either way. The
  // mode is kept as given (see PictureMode; unknown modes draw top-left).
  void SetBackgroundPicture(const QImage& picture, int32_t mode);
  int32_t BackgroundPictureMode() const;

  // Rebuilds the layers at the new size, reapplies the background colour and
  // does the Clear reset: all drawing is lost, turtle 0 goes to the centre.
  void Resize(int width, int height);
  QSize Size() const;

  // Called (under the lock, from whichever thread drew) whenever the canvas
  // needs repainting. It must not call back into the canvas.
  void SetRepaintCallback(std::function<void()> callback);

  QImage VisibleLayer() const;  // a copy, taken under the lock
  QImage InkLayer() const;
  QImage Paint() const;  // the visible layer with the sprites
  // As Paint, for a screen of device pixel ratio `ratio`: above 1, painted
  // from the drawing record at that resolution (the image carries the
  // ratio); at 1, or for a drawing too big to paint so (DenseLayer), Paint
  // itself.
  QImage PaintAt(double ratio) const;
  // What was drawn since the last clear, for vector export.
  DrawingSnapshot Drawing() const;

  TurtleState StateOf(int index = 0) const;  // index outside 0..19 gives 0's
  void SelectTurtle(int index);
  int CurrentTurtle() const;

  // Sprite slots 0..20. Setting the image set (outside 0..10 becomes 1) or the
  // own frames resets the slot's frame to 0.
  void SetImageSet(int slot, int image_set);
  int ImageSet(int slot) const;
  void SetOwnFrames(int slot, SpriteFrames frames);
  // Frame outside 1..count-1 becomes 0.
  void SetFrame(int slot, int frame);
  int Frame(int slot) const;
  int FrameCount(int slot) const;
  // The animation tick: when the current slot has frames, requests a repaint
  // and steps every visible slot up to the highest to its next frame.
  void AdvanceFrames();
  // Paint only slot 20 at the centre (a host's preview).
  void SetPreview(bool preview);

 private:
  friend struct SessionGate;

  struct SpriteSlot {
    int image_set = 1;
    int frame = 0;
    SpriteFrames own;
  };

  // The lock; a batch this thread still holds is ended first, so any call of
  // the canvas from a run's own thread finds the lock free for it.
  std::unique_lock<HandoverLock> Lock() const {
    if (batch_owner_.load(std::memory_order_relaxed) == std::this_thread::get_id()) EndBatch();
    return std::unique_lock(lock_);
  }
  // Carries out `operation` on the model for `session` (null: the window's
  // own call) under the lock, unless the session is stopped.
  template <typename Operation>
  void Run(const RunSession* session, Operation operation) {
    auto lock = Lock();
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
    RunLocked(&session, operation);
    if (++batch_operations_ % kBatchClockEvery == 0) CheckBatch();
    if (batch_operations_ >= kBatchOperations || lock_.Waiting()) EndBatch();
  }
  template <typename Operation>
  void RunLocked(const RunSession* session, Operation& operation) {
    if (session != nullptr && session->Stopped()) return;
    session_ = session;
    operation(model_);
    session_ = nullptr;
  }
  void StartBatch();
  void CheckBatch();
  void EndBatch() const;
  // Inside a long operation: lets waiting threads in and tells the model
  // whether to go on.
  bool Checkpoint();
  // Whether the session of the operation holding the lock has been stopped.
  bool OperationStopped() const { return session_ != nullptr && session_->Stopped(); }

  void DrawSegment(TurtlePoint from, TurtlePoint to) override;
  void PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) override;
  void RequestRepaint(bool erase) override;
  void EraseInk() override;
  void RefreshBackground() override;

  const SpriteFrames& FramesOf(const SpriteSlot& slot) const;
  std::vector<SpritePose> SpritePoses() const;

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
  RasterSurface surface_;
  DrawingRecord record_;
  TurtleModel model_;
  std::array<SpriteSlot, kSpriteSlotCount> slots_{};
  bool preview_ = false;
  uint32_t pen_colour_ = 0;   // as set
  int32_t picture_mode_ = 0;  // as set
  std::function<void()> repaint_;
  mutable DenseLayer dense_;
  uint64_t look_ = 0;  // counts the changes that repaint the dense layer whole
  CanvasTurtle own_turtle_{SessionGate{this, nullptr}};
};

template <typename Operation>
void SessionGate::Do(Operation operation) {
  if (session == nullptr) {
    canvas->Run(nullptr, operation);
  } else {
    canvas->RunBatched(*session, operation);
  }
}

inline void SessionGate::EndBatch() { canvas->EndBatch(); }

}  // namespace dravel
