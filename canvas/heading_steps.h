// The unit step a heading moves a turtle by, (cos, sin) of the heading turned
// into the x axis's angle. Scripts turn by whole degrees, so the steps of the
// 360 whole headings are kept once computed: a whole heading's step comes from
// the same computation with the same input, so a kept step has the very bits
// a fresh one would, and positions come out the same either way.
#pragma once

#include <array>
#include <bitset>

#include "canvas/drawing_surface.h"

namespace dravel {

inline constexpr double kRadiansPerDegree = 0.017453292519943295;

class HeadingSteps {
 public:
  // `heading` in degrees clockwise from straight up; any value (NaN gives NaN).
  TurtlePoint StepOf(double heading) {
    if (heading >= 0 && heading < kWholeHeadings) {
      const int whole = static_cast<int>(heading);
      if (whole == heading) return Kept(whole);
    }
    return Computed(heading);
  }

 private:
  static constexpr int kWholeHeadings = 360;

  static TurtlePoint Computed(double heading);
  TurtlePoint Kept(int whole) {
    if (!known_[whole]) {
      steps_[whole] = Computed(whole);
      known_[whole] = true;
    }
    return steps_[whole];
  }

  std::array<TurtlePoint, kWholeHeadings> steps_{};
  std::bitset<kWholeHeadings> known_;
};

}  // namespace dravel
