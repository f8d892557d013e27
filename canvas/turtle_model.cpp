#include "canvas/turtle_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dravel {
namespace {

constexpr int kMaxWrapDepth = 32;
// More chords than this cannot be told apart by a double step angle; the
// count is kept as an exact integer so the loop cannot overflow.
constexpr double kMaxChords = 9007199254740992.0;  // 2^53

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

double& Coordinate(TurtlePoint& point, int axis) { return axis == 0 ? point.x : point.y; }

}  // namespace

double Bearing(TurtlePoint from, TurtlePoint to) {
  double angle;
  if (to.x != from.x) {
    angle = std::atan((to.y - from.y) / (to.x - from.x)) / kRadiansPerDegree;
    if (to.x < from.x) angle = std::fmod(angle + 180, 360);
  } else {
    if (to.y == from.y) return 0;
    angle = from.y <= to.y ? 90 : -90;
  }
  const double bearing = 90 - angle;
  return bearing < 0 ? bearing + 360 : bearing;
}

double NormaliseHeading(double degrees) {
  // A turn from a heading in range by at most a full turn, the usual case,
  // lands here; fmod would give the same (its result is exact, and so is
  // this subtraction).
  if (degrees >= 0 && degrees < 720) return degrees < 360 ? degrees : degrees - 360;
  const double heading = std::fmod(degrees, 360);
  if (heading >= 0) return heading;
  // A tiny negative remainder lifted by 360 rounds to 360 itself.
  const double lifted = heading + 360;
  return lifted < 360 ? lifted : 0;
}

uint64_t ArcChords(double radius_x, double radius_y) {
  const double chords = std::trunc(std::fabs(360 * std::max(radius_x, radius_y) * 0.005));
  if (std::isnan(chords)) return 1;
  return static_cast<uint64_t>(std::clamp(chords, 1.0, kMaxChords));
}

TurtleModel::TurtleModel(DrawingSurface& surface, int width, int height) : surface_(surface) {
  SetSize(width, height);
}

void TurtleModel::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  half_width_ = width / 2;
  half_height_ = height / 2;
}

void TurtleModel::SelectTurtle(int index) {
  if (index < 0 || index >= kTurtleCount) index = 0;
  for (int slot = highest_ + 1; slot <= index; ++slot) turtles_[slot] = {};
  highest_ = std::max(highest_, index);
  current_ = index;
}

void TurtleModel::ResetTurtleZero() {
  current_ = 0;
  highest_ = 0;
  TurtleState& turtle = turtles_[0];
  turtle.x = turtle.y = turtle.heading = 0;
  last_target_ = {};
  wrap_pending_ = false;
}

void TurtleModel::RestoreTurtles(const std::array<TurtleState, kTurtleCount>& turtles, int current,
                                 int highest) {
  turtles_ = turtles;
  highest_ = highest >= 0 && highest < kTurtleCount ? highest : 0;
  current_ = current >= 0 && current <= highest_ ? current : 0;
  last_target_ = {};
  wrap_pending_ = false;
}

// One request covers the sprite's old place and its new one: the repaint is
// of the whole canvas.
void TurtleModel::RefreshSprite() {
  if (Current().visible) surface_.RequestRepaint(false);
}

void TurtleModel::Segment(TurtlePoint from, TurtlePoint to) {
  if (Current().pen == 0) surface_.DrawSegment(from, to);
}

void TurtleModel::Forward(double distance) { Move(distance, true); }

// `asked`: the checkpoint was asked a moment ago, as the gate of an operation
// does; a move inside a longer operation asks first.
void TurtleModel::Move(double distance, bool asked) {
  if (asked || Continue()) Advance(distance);
  RefreshSprite();
  last_target_ = {Current().x, Current().y};
  wrap_pending_ = false;
}

void TurtleModel::Back(double distance) { Forward(-distance); }

void TurtleModel::Advance(double distance) {
  if (wrap_depth_ > kMaxWrapDepth || !std::isfinite(distance)) return;
  // The first piece was asked for by the caller; each further piece of a
  // wrap chain asks.
  if (wrap_depth_ > 0 && !Continue()) return;
  DepthGuard guard(wrap_depth_);
  TurtleState& turtle = Current();
  if (edge_mode_ == EdgeMode::Fence) StandInsideFence(turtle);
  const TurtlePoint start{turtle.x, turtle.y};
  const TurtlePoint step = heading_steps_.StepOf(turtle.heading);
  const TurtlePoint target{start.x + distance * step.x, start.y + distance * step.y};
  const bool inside =
      edge_mode_ == EdgeMode::Unbounded || (target.x >= -half_width_ && target.x <= half_width_ &&
                                            target.y >= -half_height_ && target.y <= half_height_);
  if (inside) {
    turtle.x = target.x;
    turtle.y = target.y;
    Segment(start, target);
    return;
  }
  if (target.x > half_width_ && CrossBorder(0, half_width_, start, target, distance)) return;
  if (target.x < -half_width_ && CrossBorder(0, -half_width_, start, target, distance)) return;
  if (target.y > half_height_ && CrossBorder(1, half_height_, start, target, distance)) return;
  if (target.y < -half_height_) CrossBorder(1, -half_height_, start, target, distance);
}

// A turtle outside the fence (a hair past it after a rectangle, or anywhere
// after a change of edge mode) stands on the border, so its moves go on.
void TurtleModel::StandInsideFence(TurtleState& turtle) const {
  turtle.x = std::clamp(turtle.x, double(-half_width_), double(half_width_));
  turtle.y = std::clamp(turtle.y, double(-half_height_), double(half_height_));
}

// The path from `start` to `target` crosses the line where coordinate `axis`
// equals `border`. Draws up to the crossing; in Wrap goes on from the opposite
// border with the rest of the distance and reports the move handled; in Fence
// stops there and reports not handled, so later borders find nothing.
bool TurtleModel::CrossBorder(int axis, double border, TurtlePoint start, TurtlePoint target,
                              double distance) {
  const int other = 1 - axis;
  const double other_half = axis == 0 ? half_height_ : half_width_;
  const double start_a = Coordinate(start, axis);
  const double target_a = Coordinate(target, axis);
  const double start_o = Coordinate(start, other);
  // The ratio first: the plain product could overflow for far-out turtles.
  const double crossing_o =
      start_o + (Coordinate(target, other) - start_o) * ((border - start_a) / (target_a - start_a));
  // NaN (a degenerate path) fails this test too.
  if (!(crossing_o >= -other_half && crossing_o <= other_half)) return false;
  TurtlePoint crossing;
  Coordinate(crossing, axis) = border;
  Coordinate(crossing, other) = crossing_o;
  Segment(start, crossing);
  TurtleState& turtle = Current();
  turtle.x = crossing.x;
  turtle.y = crossing.y;
  if (edge_mode_ != EdgeMode::Wrap) return false;
  (axis == 0 ? turtle.x : turtle.y) = -border;
  Advance(distance * ((target_a - border) / (target_a - start_a)));
  return true;
}

void TurtleModel::MoveTo(TurtlePoint point) {
  const TurtleState& turtle = Current();
  const TurtlePoint start{turtle.x, turtle.y};
  const bool out = point.x > half_width_ || point.x < -half_width_ || point.y > half_height_ ||
                   point.y < -half_height_;
  if (edge_mode_ == EdgeMode::Fence && out) {
    // Clamped to pixels that are really on the canvas.
    if (point.x > half_width_) point.x = half_width_ - 1;
    if (point.x < -half_width_) point.x = -half_width_;
    if (point.y > half_height_) point.y = half_height_;
    if (point.y < -half_height_) point.y = 1 - half_height_;
  } else if (edge_mode_ == EdgeMode::Wrap && (out || wrap_pending_)) {
    WalkTo(point, out);
    return;
  }
  Current().x = point.x;
  Current().y = point.y;
  last_target_ = point;
  wrap_pending_ = false;
  Segment(start, point);
}

// Walks from the last unwrapped target towards `point`, wrapping at the
// borders, so the line lands where the point falls on the torus.
void TurtleModel::WalkTo(TurtlePoint point, bool out) {
  TurtleState& turtle = Current();
  const double kept_heading = turtle.heading;
  turtle.heading = Bearing(last_target_, point);
  Advance(std::hypot(point.x - last_target_.x, point.y - last_target_.y));
  Current().heading = kept_heading;
  last_target_ = point;
  wrap_pending_ = out;
}

void TurtleModel::MoveBetweenRefreshes(TurtlePoint point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return;
  MoveTo(point);
  RefreshSprite();
}

void TurtleModel::SetX(double x) { MoveBetweenRefreshes({x, Current().y}); }
void TurtleModel::SetY(double y) { MoveBetweenRefreshes({Current().x, y}); }
void TurtleModel::SetXY(double x, double y) { MoveBetweenRefreshes({x, y}); }

void TurtleModel::Turn(double degrees) {
  if (!std::isfinite(degrees)) return;
  Current().heading = NormaliseHeading(Current().heading + degrees);
  RefreshSprite();
}

void TurtleModel::TurnLeft(double degrees) { Turn(-degrees); }
void TurtleModel::TurnRight(double degrees) { Turn(degrees); }

void TurtleModel::Home() {
  wrap_pending_ = false;
  MoveTo({0, 0});
  Current().heading = 0;
  RefreshSprite();
}

void TurtleModel::Clear() {
  surface_.EraseInk();
  ResetTurtleZero();
  RefreshSprite();
  surface_.RefreshBackground();
}

void TurtleModel::PenUp() {
  if (Current().pen == 0) Current().pen = -1;
}

void TurtleModel::PenDown() { Current().pen = 0; }

void TurtleModel::Show() {
  if (Current().visible) return;
  Current().visible = 1;
  RefreshSprite();
}

void TurtleModel::Hide() {
  if (!Current().visible) return;
  RefreshSprite();
  Current().visible = 0;
}

void TurtleModel::Circle(double radius) {
  if (radius >= 0 && std::isfinite(radius)) Arc(radius, radius);
}

void TurtleModel::Ellipse(double radius_x, double radius_y) {
  if (!(radius_x >= 0 && radius_y >= 0) || !std::isfinite(radius_x) || !std::isfinite(radius_y)) {
    return;
  }
  if (edge_mode_ != EdgeMode::Unbounded && (radius_x > width_ || radius_y > height_)) {
    return;
  }
  Arc(radius_x, radius_y);
}

TurtlePoint TurtleModel::ArcPoint(TurtlePoint centre, double heading, double radius_x,
                                  double radius_y, double theta) const {
  const double h = heading * kRadiansPerDegree;
  const double t = theta * kRadiansPerDegree;
  const double along = radius_y * std::cos(t);
  const double across = radius_x * std::sin(t);
  // centre - along * (sin h, cos h) - across * (cos h, -sin h)
  return {centre.x - along * std::sin(h) - across * std::cos(h),
          centre.y - along * std::cos(h) + across * std::sin(h)};
}

void TurtleModel::Arc(double radius_x, double radius_y) {
  RefreshSprite();
  TurtleState& turtle = Current();
  const int32_t saved_pen = turtle.pen;
  const int32_t saved_visible = turtle.visible;
  turtle.visible = 0;
  const TurtlePoint centre{turtle.x, turtle.y};
  const double heading = turtle.heading;
  const uint64_t count = ArcChords(radius_x, radius_y);
  const double step = 360 / static_cast<double>(count);
  bool stopped = false;
  for (uint64_t i = 0; i < count && !stopped; ++i) {
    if (i == 0) Current().pen = 1;
    MoveTo(ArcPoint(centre, heading, radius_x, radius_y, i * step));
    Current().pen = saved_pen;
    stopped = !Continue();
  }
  if (!stopped) MoveTo(ArcPoint(centre, heading, radius_x, radius_y, 360));
  TurtleState& after = Current();
  after.x = centre.x;
  after.y = centre.y;
  after.visible = saved_visible;
  RefreshSprite();
  last_target_ = centre;
  wrap_pending_ = false;
}

void TurtleModel::Rectangle(double width, double height) {
  if (!(width >= 0 && height >= 0) || !std::isfinite(width) || !std::isfinite(height)) {
    return;
  }
  const bool fenced = edge_mode_ == EdgeMode::Fence;
  if (fenced) edge_mode_ = EdgeMode::Unbounded;
  PenUp();
  Move(width / 2, false);
  TurnLeft(90);
  Move(height / 2, false);
  TurnRight(90);
  PenDown();
  for (int side = 0; side < 4; ++side) {
    TurnRight(90);
    Move(side % 2 == 0 ? height : width, false);
  }
  PenUp();
  TurnRight(90);
  Move(height / 2, false);
  TurnRight(90);
  Move(width / 2, false);
  TurnRight(180);
  PenDown();
  if (fenced) edge_mode_ = EdgeMode::Fence;
}

void TurtleModel::WriteText(std::string_view gbk_text) {
  const TurtleState& turtle = Current();
  surface_.PutText(gbk_text, {turtle.x, turtle.y}, turtle.heading);
}

}  // namespace dravel
