// GatedTurtle: the seventeen turtle operations as every edition hands them to
// a canvas's turtle model, each through a gate that decides whether and how
// it runs. A gate has
//   template <typename Operation> void Do(Operation operation);
// which calls operation(TurtleModel&) or refuses the call, and
//   void EndBatch();
// which ends a batch of calls it may be holding together. The desktop's gate
// takes the canvas's lock and checks the run's session (CanvasCore); the
// canvas's own (Canvas::Turtle) asks its checkpoint. Headers only, so the
// calls inline.
#pragma once

#include <utility>

#include "canvas/turtle_model.h"
#include "canvas/turtle_operations.h"

namespace dravel {

template <typename Gate>
class GatedTurtle final : public TurtleOperations {
 public:
  explicit GatedTurtle(Gate gate) : gate_(std::move(gate)) {}
  ~GatedTurtle() override { gate_.EndBatch(); }
  GatedTurtle(const GatedTurtle&) = delete;
  GatedTurtle& operator=(const GatedTurtle&) = delete;

#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments)     \
  void name parameters override {                                \
    gate_.Do([&](TurtleModel& model) { model.name arguments; }); \
  }
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION
  void EndBatch() override { gate_.EndBatch(); }

 private:
  Gate gate_;
};

}  // namespace dravel
