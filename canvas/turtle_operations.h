// The seventeen script-facing turtle operations, as the interpreter sees them;
// the operations themselves are listed once, in turtle_operations.def.
// The turtle model implements them on its current turtle (turtle_model.h),
// and every canvas hands them to it through one adapter (canvas_turtle.h;
// for a run, through the run's session: run_canvas.h); tests may implement
// them with fakes. No operation reports an error: an argument that is not
// accepted makes the call do nothing.
#pragma once

#include <string_view>

namespace dravel {

class TurtleOperations {
 public:
  virtual ~TurtleOperations() = default;

#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) virtual void name parameters = 0;
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION

  // How many operations the list holds.
  static constexpr int kCount = 0
#define DRAVEL_TURTLE_OPERATION(name, parameters, arguments) +1
#include "canvas/turtle_operations.def"
#undef DRAVEL_TURTLE_OPERATION
      ;

  // A turtle may carry out consecutive operations as one batch (a canvas
  // holds its lock across them); the caller ends the batch before it does
  // anything that may wait (a host effect, a delay) or that others wait for.
  // Wrappers pass it on.
  virtual void EndBatch() {}
};

}  // namespace dravel
