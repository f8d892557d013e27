// The canvas as the run driver sees it. Each run draws through a turtle of
// its own session; the driver stops a session while holding the drawing lock,
// so no drawing of the run lies between its check and its effect, and once a
// stop is through the run draws nothing more.
#pragma once

#include <functional>
#include <memory>

#include "canvas/turtle_operations.h"
#include "runtime/run_session.h"

namespace dravel {

class RunCanvas {
 public:
  virtual ~RunCanvas() = default;

  // The turtle operations of `session`'s run. None takes effect once the
  // session is stopped, and a long one ends at its next step. `session` must
  // outlive the turtle.
  virtual std::unique_ptr<TurtleOperations> TurtleFor(const RunSession& session) = 0;
  // Runs `step` while holding the drawing lock.
  virtual void UnderDrawingLock(const std::function<void()>& step) = 0;
};

}  // namespace dravel
