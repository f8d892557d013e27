#include "canvas/canvas_turtle.h"

#include "canvas/canvas_core.h"

namespace dravel {

void CanvasTurtle::Forward(double distance) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.Forward(distance); });
}
void CanvasTurtle::Back(double distance) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.Back(distance); });
}
void CanvasTurtle::TurnLeft(double degrees) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.TurnLeft(degrees); });
}
void CanvasTurtle::TurnRight(double degrees) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.TurnRight(degrees); });
}
void CanvasTurtle::Home() {
  canvas_.Run(session_, [](TurtleModel& model) { model.Home(); });
}
void CanvasTurtle::Clear() {
  canvas_.Run(session_, [](TurtleModel& model) { model.Clear(); });
}
void CanvasTurtle::Circle(double radius) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.Circle(radius); });
}
void CanvasTurtle::PenUp() {
  canvas_.Run(session_, [](TurtleModel& model) { model.PenUp(); });
}
void CanvasTurtle::PenDown() {
  canvas_.Run(session_, [](TurtleModel& model) { model.PenDown(); });
}
void CanvasTurtle::Ellipse(double radius_x, double radius_y) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.Ellipse(radius_x, radius_y); });
}
void CanvasTurtle::Rectangle(double width, double height) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.Rectangle(width, height); });
}
void CanvasTurtle::SetX(double x) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.SetX(x); });
}
void CanvasTurtle::SetY(double y) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.SetY(y); });
}
void CanvasTurtle::SetXY(double x, double y) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.SetXY(x, y); });
}
void CanvasTurtle::Show() {
  canvas_.Run(session_, [](TurtleModel& model) { model.Show(); });
}
void CanvasTurtle::Hide() {
  canvas_.Run(session_, [](TurtleModel& model) { model.Hide(); });
}
void CanvasTurtle::WriteText(std::string_view gbk_text) {
  canvas_.Run(session_, [&](TurtleModel& model) { model.WriteText(gbk_text); });
}

}  // namespace dravel
