// The canvas without a window: the turtle model drawing on the raster
// surface, the sprite slots, and the one lock that guards them all. The run
// thread calls the turtle operations; the window's thread paints, resizes and
// animates. Every turtle operation, and every drawing effect inside one,
// checks the calling run's stop token under the lock, and long operations let
// waiting threads in at their checkpoints, so painting and stopping never
// wait for a huge circle to finish.
#pragma once

#include <QImage>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "canvas/drawing_record.h"
#include "canvas/drawing_surface.h"
#include "canvas/raster_surface.h"
#include "canvas/sprite_images.h"
#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"

namespace dravel {

inline constexpr int kSpriteSlotCount = 21;  // turtles 0..19, 20 = preview

class CanvasCore final : public TurtleOperations, private DrawingSurface {
 public:
  // Creates the layers at `width` x `height` (at least 1 x 1) with a black pen
  // on white, Fence mode, every slot showing image set 1, and turtle 0 at home.
  CanvasCore(int width, int height);
  ~CanvasCore() override;
  CanvasCore(const CanvasCore&) = delete;
  CanvasCore& operator=(const CanvasCore&) = delete;

  void Forward(double distance) override;
  void Back(double distance) override;
  void TurnLeft(double degrees) override;
  void TurnRight(double degrees) override;
  void Home() override;
  void Clear() override;
  void Circle(double radius) override;
  void PenUp() override;
  void PenDown() override;
  void Ellipse(double radius_x, double radius_y) override;
  void Rectangle(double width, double height) override;
  void SetX(double x) override;
  void SetY(double y) override;
  void SetXY(double x, double y) override;
  void Show() override;
  void Hide() override;
  void WriteText(std::string_view gbk_text) override;
  // The calling thread's run token: its drawing stops once the token is
  // stopped, until the thread sets another; a default token never stops.
  // Each thread has its own, so a stopped run still finishing its command is
  // not revived by the next run's token. Threads that set none never stop.
  void SetStopToken(std::stop_token token) override;
  void StopUnderLock(const std::function<void()>& request_stop) override;

  void SetEdgeMode(EdgeMode mode);
  EdgeMode GetEdgeMode() const;
  void SetPenColour(uint32_t colour);  // 0x00BBGGRR
  void SetBackgroundColour(uint32_t colour);
  void SetPenWidth(int width);
  // A null picture removes it; the visible layer is rebuilt either way.
  void SetBackgroundPicture(const QImage& picture, int32_t mode);

  // Rebuilds the layers at the new size, reapplies the background colour and
  // does the Clear reset: all drawing is lost, turtle 0 goes to the centre.
  void Resize(int width, int height);
  QSize Size() const;

  // Called (under the lock, from whichever thread drew) whenever the canvas
  // needs repainting. It must not call back into the canvas.
  void SetRepaintCallback(std::function<void()> callback);

  QImage VisibleLayer() const;  // a copy, taken under the lock
  QImage InkLayer() const;
  QImage Paint() const;         // the visible layer with the sprites
  // What was drawn since the last clear, for vector export.
  DrawingSnapshot Drawing() const;

  TurtleState Turtle(int index = 0) const;  // index outside 0..19 gives 0's
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
  struct SpriteSlot {
    int image_set = 1;
    int frame = 0;
    SpriteFrames own;
  };

  // Locks for a thread other than the one running an operation: counted, so
  // the operation's checkpoints hand the lock over.
  std::unique_lock<std::mutex> Lock() const;
  // Locks for a turtle operation, first letting counted waiters go ahead.
  std::unique_lock<std::mutex> LockForOperation();
  template <typename Operation>
  void Run(Operation operation);
  bool Checkpoint();
  // The calling thread's run token, or null when it has set none.
  const std::stop_token* TokenOfThisThread() const;
  // Whether the run of the operation holding the lock has been stopped.
  bool OperationStopped() const;

  void DrawSegment(TurtlePoint from, TurtlePoint to) override;
  void PutText(std::string_view gbk_text, TurtlePoint anchor,
               double heading) override;
  void RequestRepaint(bool erase) override;
  void EraseInk() override;
  void RefreshBackground() override;

  const SpriteFrames& FramesOf(const SpriteSlot& slot) const;
  std::vector<SpritePose> SpritePoses() const;

  mutable std::mutex mutex_;
  mutable std::atomic<int> waiting_{0};
  std::unique_lock<std::mutex>* held_ = nullptr;
  // The token of the operation holding the lock, looked up once per lock.
  const std::stop_token* operation_token_ = nullptr;
  struct RunToken {
    std::thread::id thread;
    std::stop_token token;
  };
  // The latest runs' tokens; runs overlap only while a stopped one finishes.
  std::array<RunToken, 8> run_tokens_{};
  size_t next_run_token_ = 0;
  RasterSurface surface_;
  DrawingRecord record_;
  TurtleModel model_;
  std::array<SpriteSlot, kSpriteSlotCount> slots_{};
  bool preview_ = false;
  std::function<void()> repaint_;
};

}  // namespace dravel
