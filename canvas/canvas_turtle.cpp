#include "canvas/canvas_turtle.h"

#include "canvas/canvas_core.h"

namespace dravel {

CanvasTurtle::~CanvasTurtle() { EndBatch(); }

void CanvasTurtle::EndBatch() { canvas_.EndBatch(); }

template <typename Operation>
void CanvasTurtle::Do(Operation operation) {
  if (session_ == nullptr) {
    canvas_.Run(nullptr, operation);
  } else {
    canvas_.RunBatched(*session_, operation);
  }
}

void CanvasTurtle::Forward(double distance) {
  Do([&](TurtleModel& model) { model.Forward(distance); });
}
void CanvasTurtle::Back(double distance) {
  Do([&](TurtleModel& model) { model.Back(distance); });
}
void CanvasTurtle::TurnLeft(double degrees) {
  Do([&](TurtleModel& model) { model.TurnLeft(degrees); });
}
void CanvasTurtle::TurnRight(double degrees) {
  Do([&](TurtleModel& model) { model.TurnRight(degrees); });
}
void CanvasTurtle::Home() {
  Do([](TurtleModel& model) { model.Home(); });
}
void CanvasTurtle::Clear() {
  Do([](TurtleModel& model) { model.Clear(); });
}
void CanvasTurtle::Circle(double radius) {
  Do([&](TurtleModel& model) { model.Circle(radius); });
}
void CanvasTurtle::PenUp() {
  Do([](TurtleModel& model) { model.PenUp(); });
}
void CanvasTurtle::PenDown() {
  Do([](TurtleModel& model) { model.PenDown(); });
}
void CanvasTurtle::Ellipse(double radius_x, double radius_y) {
  Do([&](TurtleModel& model) { model.Ellipse(radius_x, radius_y); });
}
void CanvasTurtle::Rectangle(double width, double height) {
  Do([&](TurtleModel& model) { model.Rectangle(width, height); });
}
void CanvasTurtle::SetX(double x) {
  Do([&](TurtleModel& model) { model.SetX(x); });
}
void CanvasTurtle::SetY(double y) {
  Do([&](TurtleModel& model) { model.SetY(y); });
}
void CanvasTurtle::SetXY(double x, double y) {
  Do([&](TurtleModel& model) { model.SetXY(x, y); });
}
void CanvasTurtle::Show() {
  Do([](TurtleModel& model) { model.Show(); });
}
void CanvasTurtle::Hide() {
  Do([](TurtleModel& model) { model.Hide(); });
}
void CanvasTurtle::WriteText(std::string_view gbk_text) {
  Do([&](TurtleModel& model) { model.WriteText(gbk_text); });
}

}  // namespace dravel
