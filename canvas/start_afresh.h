// How a lesson starts over: 重置 and the opening of an example, in the window
// and on the page alike.
#pragma once

#include "canvas/turtle_operations.h"

namespace dravel {

// The drawing cleared and the turtle at home facing up, pen down, shown
// (Clear alone keeps the pen and the visibility).
inline void StartAfresh(TurtleOperations& turtle) {
  turtle.Clear();
  turtle.PenDown();
  turtle.Show();
}

}  // namespace dravel
