#include "canvas/heading_steps.h"

#include <cmath>

namespace dravel {

// Out of line, so kept and fresh steps come from the one copy of the code.
TurtlePoint HeadingSteps::Computed(double heading) {
  const double angle = (90 - heading) * kRadiansPerDegree;
  return {std::cos(angle), std::sin(angle)};
}

}  // namespace dravel
