// The kept steps of whole headings against the computation they stand for,
// bit for bit, since every position a script reaches is built from them.
#include "canvas/heading_steps.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dravel {
namespace {

// At run time, so the compiler cannot work out the sine and cosine itself.
TurtlePoint FreshStep(double heading) {
  volatile double kept = heading;
  const double angle = (90 - kept) * kRadiansPerDegree;
  return {std::cos(angle), std::sin(angle)};
}

void ExpectSameBits(TurtlePoint step, TurtlePoint fresh) {
  EXPECT_EQ(std::bit_cast<uint64_t>(step.x), std::bit_cast<uint64_t>(fresh.x));
  EXPECT_EQ(std::bit_cast<uint64_t>(step.y), std::bit_cast<uint64_t>(fresh.y));
}

TEST(HeadingSteps, KeptAndFreshStepsHaveTheSameBits) {
  const double headings[] = {0,      -0.0, 1,      45,     90,   179,
                             359,    0.5,  359.5,  1e-300, 360,  -1,
                             720.25, 1e20, 123.75, 270,    -359, std::nextafter(360.0, 0.0)};
  HeadingSteps steps;
  for (int round = 0; round < 2; ++round) {
    for (double heading : headings) {
      SCOPED_TRACE(testing::Message() << "heading " << heading << ", round " << round);
      ExpectSameBits(steps.StepOf(heading), FreshStep(heading));
    }
  }
}

TEST(HeadingSteps, ANonNumberHeadingGivesNoStep) {
  HeadingSteps steps;
  const TurtlePoint step = steps.StepOf(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(step.x));
  EXPECT_TRUE(std::isnan(step.y));
}

}  // namespace
}  // namespace dravel
