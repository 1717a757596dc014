// Spline evaluation: exact keys, looping wrap-around with its coarse fraction,
// open ends, evaluate_all's fixed looping and empty cases, short splines staying
// inside their channels, and point files including the unsafe counts.
#include "geometry/spline.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>

namespace {

float hermite(float p0, float p1, float p2, float p3, float s) {
    const float m1 = (p2 - p0) * 0.5f, m2 = (p3 - p1) * 0.5f;
    return p1 + m1 * s + (3 * p2 - 3 * p1 - 2 * m1 - m2) * s * s + (2 * p1 - 2 * p2 + m1 + m2) * s * s * s;
}

// Keys whose x values make every neighbour choice visible: x = k * k, y = k.
spline squares(int n, bool looping) {
    spline s;
    s.looping = looping;
    for (int k = 0; k < n; ++k) {
        s.append_key(vector3::of(float(k * k), float(k), 0), vector3::of(float(10 * k), 0, 0), vector3::of(0, 0, float(k)));
    }
    return s;
}

float x_of(int k) { return float(k * k); }

}  // namespace

TEST(SplineKeys, DefaultsClearAndSetKey) {
    spline s;
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.channels, 3);
    EXPECT_TRUE(s.looping);
    s = squares(5, false);
    s.channels = 1;
    s.set_key(2, 1, vector3(2, 7, 8, 9));
    EXPECT_EQ(s.second[2], vector3(2, 7, 8, 9));
    s.set_key(2, 3, vector3(1, 0, 0, 0));   // no such channel
    s.set_key(99, 0, vector3(1, 0, 0, 0));  // no such key
    s.set_key(-1, 0, vector3(1, 0, 0, 0));
    EXPECT_EQ(s.positions[2], vector3::of(4, 2, 0));
    s.clear();
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.channels, 3);
    EXPECT_TRUE(s.positions.empty() && s.second.empty() && s.third.empty());
    EXPECT_FALSE(s.looping);
}

TEST(SplineEvaluate, IntegralParameterInsideGivesTheKeyExactly) {
    for (bool looping : {true, false}) {
        const spline s = squares(10, looping);
        for (int k = 3; k <= 7; ++k) {
            vector3 out(7, 0, 0, 0);
            s.evaluate(float(k), out);
            EXPECT_EQ(out, vector3(7, x_of(k), float(k), 0)) << "state is the caller's";
        }
    }
}

TEST(SplineEvaluate, LoopingWrapsItsNeighboursAtBothEnds) {
    const int n = 10;
    const spline s = squares(n, true);
    vector3 out = vector3::of(0, 0, 0);
    s.evaluate(n - 0.5f, out);
    EXPECT_EQ(out.x, hermite(x_of(n - 2), x_of(n - 1), x_of(0), x_of(1), 0.5f));
    s.evaluate(0.5f, out);
    EXPECT_EQ(out.x, hermite(x_of(n - 1), x_of(0), x_of(1), x_of(2), 0.5f));
    s.evaluate(1.5f, out);  // b = 1: plain neighbours 0..3
    EXPECT_EQ(out.x, hermite(x_of(0), x_of(1), x_of(2), x_of(3), 0.5f));
    s.evaluate(-0.5f, out);  // wraps to the last segment
    EXPECT_EQ(out.x, hermite(x_of(n - 2), x_of(n - 1), x_of(0), x_of(1), 0.5f));
}

TEST(SplineEvaluate, LoopingFractionIsCoarseNearTheEnds) {
    // t' = 0.3 + 10000 * 100 is rounded to single precision: the fraction becomes
    // 0.3125, the nearest sixteenth.
    const spline s = squares(100, true);
    vector3 out = vector3::of(0, 0, 0);
    s.evaluate(0.3f, out);
    EXPECT_EQ(out.x, hermite(x_of(99), x_of(0), x_of(1), x_of(2), 0.3125f));
    EXPECT_NE(out.x, hermite(x_of(99), x_of(0), x_of(1), x_of(2), 0.3f));
}

TEST(SplineEvaluate, OpenEndsReturnTheEndKeysWhole) {
    const int n = 10;
    spline s = squares(n, false);
    s.set_key(n - 1, 0, vector3(2, 5, 6, 7));
    s.set_key(0, 0, vector3(0, 1, 2, 3));
    vector3 out = vector3::of(0, 0, 0);
    s.evaluate(n + 3.0f, out);
    EXPECT_EQ(out, vector3(2, 5, 6, 7));
    out = vector3::of(0, 0, 0);
    s.evaluate(-1.0f, out);
    EXPECT_EQ(out, vector3(0, 1, 2, 3));
}

TEST(SplineEvaluate, OpenNeighboursClampNearTheEnds) {
    const int n = 10;
    const spline s = squares(n, false);
    vector3 out = vector3::of(0, 0, 0);
    s.evaluate(n - 1.5f, out);
    EXPECT_EQ(out.x, hermite(x_of(n - 3), x_of(n - 2), x_of(n - 1), x_of(n - 1), 0.5f));
    s.evaluate(0.5f, out);
    EXPECT_EQ(out.x, hermite(x_of(0), x_of(0), x_of(1), x_of(2), 0.5f));
    s.evaluate(n - 0.5f, out);  // neighbours n-2, n-1, n-1, n-1
    EXPECT_EQ(out.x, hermite(x_of(n - 2), x_of(n - 1), x_of(n - 1), x_of(n - 1), 0.5f));
}

TEST(SplineEvaluateAll, EmptyAndSingleKeyCases) {
    const spline empty;
    vector3 a(0, 1, 1, 1), b(0, 1, 1, 1), c(0, 1, 1, 1);
    empty.evaluate_all(3.0f, a, b, c);
    EXPECT_EQ(a, vector3(1, 100, 0, 0));
    EXPECT_EQ(b, vector3(1, 100, 0, 0));
    EXPECT_EQ(c, vector3(1, 100, 0, 0));

    const spline one = squares(1, true);
    vector3 d(0, 1, 2, 3);
    one.evaluate_all(0.5f, d, d, d);
    EXPECT_EQ(d, vector3(0, 1, 2, 3));
    vector3 e(0, 1, 2, 3);
    one.evaluate(0.5f, e);  // a single key: every neighbour is key 0
    EXPECT_EQ(e, vector3(0, 0, 0, 0));
}

TEST(SplineEvaluateAll, AlwaysLoopsAndFillsTheChannelsAsked) {
    const int n = 10;
    spline open = squares(n, false);
    const spline closed = squares(n, true);
    vector3 p = vector3::of(0, 0, 0), s2 = p, s3 = p, expected = p;
    open.evaluate_all(n - 0.5f, p, s2, s3);
    closed.evaluate(n - 0.5f, expected);
    EXPECT_EQ(p, expected);
    EXPECT_EQ(s2.x, hermite(80, 90, 0, 10, 0.5f));
    EXPECT_EQ(s3.z, hermite(8, 9, 0, 1, 0.5f));

    open.channels = 2;
    vector3 untouched(5, 5, 5, 5);
    s3 = untouched;
    open.evaluate_all(4.5f, p, s2, s3);
    EXPECT_EQ(s2.x, hermite(30, 40, 50, 60, 0.5f));
    EXPECT_EQ(s3, untouched);
    open.channels = 1;
    s2 = untouched;
    open.evaluate_all(4.5f, p, s2, s3);
    EXPECT_EQ(s2, untouched);
}

TEST(SplineEvaluateAll, ShortChannelsAndFewKeysStayInsideTheArrays) {
    // After load_points only positions is filled, yet three channels are asked.
    spline s;
    ASSERT_TRUE(s.load_points_from_text("3 0 0 0 1 1 1 2 2 2"));
    vector3 p = vector3::of(0, 0, 0), b(9, 9, 9, 9), c(9, 9, 9, 9);
    s.evaluate_all(1.5f, p, b, c);
    EXPECT_EQ(b, vector3(9, 9, 9, 9));
    EXPECT_EQ(c, vector3(9, 9, 9, 9));
    // count claiming more keys than stored, and extreme parameters: every result
    // is made of the three stored keys, whose x, y and z are equal, so it stays
    // finite with x == y == z near [0, 2]; the empty channels stay untouched.
    s.count = 50;
    const auto made_of_the_keys = [](const vector3& v) {
        return std::isfinite(v.x) && v.x == v.y && v.y == v.z && v.x >= -1.0f && v.x <= 3.0f;
    };
    for (float t : {-1e30f, -5.0f, 0.0f, 2.5f, 48.7f, 1e30f}) {
        for (bool looping : {false, true}) {
            s.looping = looping;
            p = vector3::of(-7, 5, 3);
            s.evaluate(t, p);
            EXPECT_TRUE(made_of_the_keys(p)) << t << (looping ? " looping" : " open");
        }
        p = vector3::of(-7, 5, 3);
        s.evaluate_all(t, p, b, c);
        EXPECT_TRUE(made_of_the_keys(p)) << t;
        EXPECT_EQ(b, vector3(9, 9, 9, 9));
        EXPECT_EQ(c, vector3(9, 9, 9, 9));
    }
    spline two = squares(2, true);
    two.evaluate(1.5f, p);
    EXPECT_TRUE(std::isfinite(p.x));
}

TEST(SplinePoints, ReadsCountThenGroups) {
    spline s = squares(4, false);
    s.channels = 1;
    ASSERT_TRUE(s.load_points_from_text("3\n1 2 3\n4.5 -5 6e1\n7 8 9 trailing text 10 11"));
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.channels, 3);
    EXPECT_FALSE(s.looping);  // kept by clear()
    EXPECT_EQ(s.positions[1], vector3::of(4.5f, -5, 60));
    EXPECT_EQ(s.positions[2], vector3::of(7, 8, 9));
    EXPECT_TRUE(s.second.empty());
}

TEST(SplinePoints, AfterAFailedReadRemainingGroupsAreZero) {
    spline s;
    ASSERT_TRUE(s.load_points_from_text("4\n1 2 3\n4 x 6\n7 8 9\n"));
    ASSERT_EQ(s.count, 4);
    EXPECT_EQ(s.positions[1], vector3::of(4, 0, 0));
    EXPECT_EQ(s.positions[2], vector3::of(0, 0, 0));
    EXPECT_EQ(s.positions[3], vector3::of(0, 0, 0));
    load_outcome outcome;
    ASSERT_TRUE(s.load_points_from_text("3 1 2", &outcome));  // file ends early
    EXPECT_EQ(outcome.problem, load_problem::points_cut_short);
    EXPECT_EQ(s.positions[0], vector3::of(1, 2, 0));
    EXPECT_EQ(s.positions[2], vector3::of(0, 0, 0));
    ASSERT_TRUE(s.load_points_from_text("2 1 2 3 4 5 6", &outcome));
    EXPECT_TRUE(outcome.ok());
}

TEST(SplinePoints, UnreadableOrUnsafeCountsGiveAnEmptySpline) {
    for (const char* text : {"0\n1 2 3", "-4 1 2 3", "abc", "", "1000001 1 2 3", "99999999999999999999 1 2 3"}) {
        spline s = squares(3, true);
        load_outcome outcome;
        EXPECT_FALSE(s.load_points_from_text(text, &outcome)) << text;
        EXPECT_EQ(outcome.problem, load_problem::no_point_count) << text;
        EXPECT_EQ(s.count, 0) << text;
        EXPECT_TRUE(s.positions.empty()) << text;
    }
    spline s = squares(3, true);
    EXPECT_FALSE(s.load_points("no/such/points.txt"));
    EXPECT_EQ(s.count, 0);
    s = squares(3, true);
    load_outcome outcome;
    EXPECT_FALSE(s.load_points(VELMORIA_BINARY_DIR, &outcome));  // a folder
    EXPECT_EQ(outcome.system_error, EISDIR);
    EXPECT_EQ(s.count, 0);
    EXPECT_TRUE(s.load_points_from_text("1000000"));  // the largest count allowed
    EXPECT_EQ(s.count, 1000000);
}
