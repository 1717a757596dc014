// The vector3 rules: unset operands, normalising by state, scale keeping its state,
// the cross product, and the look-at matrix including the degenerate pose.
#include "geometry/vector3.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vector3, UnsetOperandGivesZeroNotTheOtherOperand) {
    const vector3 unset;
    const vector3 v = vector3::of(1, 2, 3);
    EXPECT_EQ(add(unset, v), vector3(1, 0, 0, 0));
    EXPECT_EQ(sub(v, unset), vector3(1, 0, 0, 0));
    EXPECT_EQ(cross(unset, v), vector3(1, 0, 0, 0));
    EXPECT_EQ(scale(unset, 2.0f), vector3(1, 0, 0, 0));
}

TEST(Vector3, NormaliseActsOnlyOnOrdinaryValues) {
    vector3 zero = vector3::of(0, 0, 0);
    normalise(zero);
    EXPECT_EQ(zero, vector3(2, 0, 0, 0));

    vector3 already(2, 3, 4, 0);
    normalise(already);
    EXPECT_EQ(already, vector3(2, 3, 4, 0));

    vector3 unset(0, 3, 4, 0);
    normalise(unset);
    EXPECT_EQ(unset, vector3(0, 3, 4, 0));

    vector3 v = vector3::of(3, 4, 0);
    normalise(v);
    EXPECT_EQ(v.state, 2);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
}

TEST(Vector3, ScaleKeepsNormalisedStateSoNormaliseIsANoOp) {
    vector3 v = vector3::of(0, 0, 5);
    normalise(v);
    vector3 scaled = scale(v, 3.0f);
    EXPECT_EQ(scaled.state, 2);
    normalise(scaled);
    EXPECT_FLOAT_EQ(scaled.z, 3.0f);
}

TEST(Vector3, CrossProduct) {
    EXPECT_EQ(cross(vector3::of(1, 0, 0), vector3::of(0, 1, 0)), vector3(1, 0, 0, 1));
    EXPECT_EQ(cross(vector3(1, 1, 0, 0), vector3(1, 0, 1, 0)), vector3(1, 0, 0, 1));
}

TEST(ViewPose, InterpolateBlendsEachVector) {
    view_pose a{vector3::of(0, 0, 0), vector3::of(0, 1, 0), vector3::of(0, 0, 1)};
    view_pose b{vector3::of(2, 0, 0), vector3::of(0, 3, 0), vector3::of(0, 0, 1)};
    view_pose r;
    r.interpolate(0.5, a, b);
    EXPECT_EQ(r.eye, vector3(1, 1, 0, 0));
    EXPECT_EQ(r.centre, vector3(1, 0, 2, 0));
    EXPECT_EQ(r.up, vector3(1, 0, 0, 1));
}

TEST(ViewPose, DegenerateLookAtIsIdentity) {
    const view_pose zero{vector3::of(0, 0, 0), vector3::of(0, 0, 0), vector3::of(0, 0, 0)};
    double m[16];
    look_at_matrix(zero, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0 : 0.0) << i;

    const view_pose up_along_view{vector3::of(0, 0, 0), vector3::of(0, 0, 1), vector3::of(0, 0, 1)};
    look_at_matrix(up_along_view, m);
    for (int i = 0; i < 16; ++i) EXPECT_FALSE(std::isnan(m[i]));
}

TEST(ViewPose, LookAtMapsEyeToOriginAndCentreAlongMinusZ) {
    const view_pose pose{vector3::of(0, 2, 0), vector3::of(0, 0, 0), vector3::of(0, 0, 1)};
    double m[16];
    look_at_matrix(pose, m);
    // The centre (0, 0, 0) lands 2 units in front of the camera: (0, 0, -2).
    const double cx = m[12], cy = m[13], cz = m[14];
    EXPECT_NEAR(cx, 0.0, 1e-12);
    EXPECT_NEAR(cy, 0.0, 1e-12);
    EXPECT_NEAR(cz, -2.0, 1e-12);
}
