// The two timing curves at their documented points.
#include "parts/timing_curves.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TimingCurves, RampInStartsAtZeroAndJoinsTheIdentity) {
    EXPECT_EQ(ramp_in(0.0), 0.0);
    EXPECT_EQ(ramp_in(-5.0), 0.0);
    EXPECT_DOUBLE_EQ(ramp_in(10.0 / 3.0), 10.0 / 3.0);
    EXPECT_DOUBLE_EQ(ramp_in(7.5), 7.5);
    EXPECT_LT(ramp_in(1.0), 1.0);  // the slow power start
    EXPECT_GT(ramp_in(1.0), 0.0);
}

TEST(TimingCurves, EaseIsTheCosineEaseForShapeOne) {
    EXPECT_EQ(ease_shaped(-1.0, 1.0), 0.0);
    EXPECT_EQ(ease_shaped(0.0, 1.0), 0.0);
    EXPECT_NEAR(ease_shaped(0.5, 1.0), 0.5, 1e-12);
    EXPECT_NEAR(ease_shaped(1.0, 1.0), 1.0, 1e-12);
    EXPECT_NEAR(ease_shaped(3.0, 1.0), 1.0, 1e-12);
    EXPECT_NEAR(ease(0.25), (1.0 - std::cos(M_PI * 0.25)) / 2.0, 1e-12);
}
