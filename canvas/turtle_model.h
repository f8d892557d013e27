// The turtles as pure geometry: their records, the edge modes and the
// seventeen operations (TurtleOperations) built from Advance, MoveTo, Turn and
// Arc. Every canvas hands the operations to it through a gate (GatedTurtle);
// a test or a benchmark may run a script on it directly. Pixels are
// the surface's business; the model only calls the five DrawingSurface
// operations. Locking is the owner's business too: the model is not
// thread-safe and calls `Checkpoint` inside its long loops, where the owner may
// let other threads in and where a stop request ends the operation early.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>

#include "canvas/drawing_surface.h"
#include "canvas/heading_steps.h"
#include "canvas/turtle_operations.h"

namespace dravel {

// Numbered as the canvas's stored edge-mode property is.
enum class EdgeMode : int32_t { Fence = 0, Wrap = 1, Unbounded = 2 };

// A stored edge-mode value: any value but 1 and 2 counts as Fence.
constexpr EdgeMode EdgeModeOf(int32_t stored) {
  return stored == 1 || stored == 2 ? static_cast<EdgeMode>(stored) : EdgeMode::Fence;
}

struct TurtleState {
  double x = 0;
  double y = 0;
  double heading = 0;  // degrees clockwise from straight up, in [0, 360)
  int32_t pen = 0;     // 0 = down; PenUp stores -1, an arc 1 for a moment
  int32_t visible = 1;
};

inline constexpr int kTurtleCount = 20;

// Rounds half away from zero, saturating at the int32 limits; NaN gives 0.
// Truncates toward zero with the same saturation.
// Every pen line rounds its ends, so the usual case, a value in range, is
// one test (which NaN fails).
inline int32_t TruncSaturated(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  if (std::isnan(value)) return 0;
  return value > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
}
inline int32_t RoundSaturated(double value) {
  return TruncSaturated(value < 0 ? value - 0.5 : value + 0.5);
}
// Degrees clockwise from straight up for the path from `from` to `to`.
double Bearing(TurtlePoint from, TurtlePoint to);
// Takes the floating-point remainder by 360 and lifts negatives into [0, 360)
// (a negative too small to lift without rounding to 360 gives 0).
double NormaliseHeading(double degrees);
// The chords an arc of these radii is cut into: 360 x the larger radius x
// 0.005, truncated, from 1 up to 2^53 (NaN gives 1).
uint64_t ArcChords(double radius_x, double radius_y);

class TurtleModel final : public TurtleOperations {
 public:
  // Returns false when the running operation should stop.
  using Checkpoint = std::function<bool()>;

  TurtleModel(DrawingSurface& surface, int width, int height);

  // Canvas size in pixels; the turtles keep their coordinates.
  void SetSize(int width, int height);
  void SetEdgeMode(EdgeMode mode) { edge_mode_ = mode; }
  EdgeMode GetEdgeMode() const { return edge_mode_; }
  void SetCheckpoint(Checkpoint checkpoint) { checkpoint_ = std::move(checkpoint); }

  // Selects turtle `index` (outside 0..19 selects 0), initialising every slot
  // above the highest selected so far.
  void SelectTurtle(int index);
  int CurrentIndex() const { return current_; }
  int HighestIndex() const { return highest_; }
  const TurtleState& TurtleAt(int index) const { return turtles_[index]; }
  // The Clear reset without erasing: turtle 0 current and at home.
  void ResetTurtleZero();
  // Puts back turtles saved from TurtleAt, CurrentIndex and HighestIndex
  // (indexes out of range become 0).
  void RestoreTurtles(const std::array<TurtleState, kTurtleCount>& turtles, int current,
                      int highest);

#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) void name parameters override;
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION

 private:
  TurtleState& Current() { return turtles_[current_]; }
  bool Continue() const { return !checkpoint_ || checkpoint_(); }
  void RefreshSprite();
  void Segment(TurtlePoint from, TurtlePoint to);
  void StandInsideFence(TurtleState& turtle) const;
  void Move(double distance, bool asked);
  void Advance(double distance);
  bool CrossBorder(int axis, double border, TurtlePoint start, TurtlePoint target, double distance);
  void MoveTo(TurtlePoint point);
  void WalkTo(TurtlePoint point, bool out);
  void MoveBetweenRefreshes(TurtlePoint point);
  void Turn(double degrees);
  void Arc(double radius_x, double radius_y);
  TurtlePoint ArcPoint(TurtlePoint centre, double heading, double radius_x, double radius_y,
                       double theta) const;

  DrawingSurface& surface_;
  Checkpoint checkpoint_;
  HeadingSteps heading_steps_;
  std::array<TurtleState, kTurtleCount> turtles_{};
  int current_ = 0;
  int highest_ = 0;
  EdgeMode edge_mode_ = EdgeMode::Fence;
  int half_width_ = 0;
  int half_height_ = 0;
  int width_ = 0;
  int height_ = 0;
  TurtlePoint last_target_;
  bool wrap_pending_ = false;
  int wrap_depth_ = 0;
};

}  // namespace dravel
