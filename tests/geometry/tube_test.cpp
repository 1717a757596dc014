// Tube generation: the segment count, a tube through its keys with the radius of
// each key, quad order and normals, the closing prism, the mirrored ring of a
// negative radius, the collapse along `up`, evaluated samples, buffer reuse.
#include "geometry/tube.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A vertical row of keys along y, radius of key i in the second channel.
spline vertical(int n, float radius_base = 1.0f, float radius_step = 0.01f) {
    spline s;
    for (int i = 0; i < n; ++i) {
        s.append_key(vector3::of(0.5f, float(i), -2.0f), vector3::of(radius_base + radius_step * i, 0, 0),
                     vector3::of(0, 0, 0));
    }
    return s;
}

const vector3 up = vector3::of(0, 0, 1);

float distance(const tube_vertex& v, const vector3& p) {
    return std::sqrt((v.x - p.x) * (v.x - p.x) + (v.y - p.y) * (v.y - p.y) + (v.z - p.z) * (v.z - p.z));
}

bool same_position(const tube_vertex& a, const tube_vertex& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

TEST(TubeSegments, CountFormulaAndRejectedArguments) {
    EXPECT_EQ(tube_segment_count(100, 100, 40), 100);
    EXPECT_EQ(tube_segment_count(50, 50, 3), 50);
    EXPECT_EQ(tube_segment_count(2.5, 4, 3), 4);    // 4 + 4 * 0.5 / 2.5 = 4.8
    EXPECT_EQ(tube_segment_count(0.5, 10, 3), 20);  // 10 + 10 * 0.5 / 0.5
    EXPECT_EQ(tube_segment_count(-2.5, 4, 3), 4);
    EXPECT_EQ(tube_segment_count(100, 100, 999), 100);
    EXPECT_EQ(tube_segment_count(100, 100, 1), 100);
    EXPECT_EQ(tube_segment_count(100, 100, 0), 0);
    EXPECT_EQ(tube_segment_count(100, 100, 1000), 0);
    EXPECT_EQ(tube_segment_count(100, 0, 40), 0);
    EXPECT_EQ(tube_segment_count(100, -3, 40), 0);
    EXPECT_EQ(tube_segment_count(0, 100, 40), 0);
    EXPECT_EQ(tube_segment_count(100, 2000000000, 999), 0);  // far more quads than any tube

    spline s = vertical(10);
    std::vector<tube_vertex> out;
    EXPECT_EQ(generate_tube(s, up, 0, 0, 10, 4, out), 0);
    EXPECT_EQ(generate_tube(s, up, 0, 10, 10, 0, out), 0);
    spline empty;
    EXPECT_EQ(generate_tube(empty, up, 0, 10, 10, 4, out), 0);
    EXPECT_TRUE(out.empty());
}

TEST(TubeThroughKeys, IntegralParametersTakeTheKeysAndTheirRadii) {
    spline s = vertical(100);
    s.channels = 3;
    std::vector<tube_vertex> out;
    const int sides = 40;
    ASSERT_EQ(generate_tube(s, up, 0, 100, 100, sides, out), 100 * sides);
    EXPECT_EQ(s.channels, 2);
    for (int j = 0; j < 98; ++j) {
        const float r = s.second[j].x;
        const tube_vertex* quad0 = &out[std::size_t(j) * sides * 4];
        // Quad 0, corner A: angle 0 lies along B = T x up = +x for a tube along +y.
        EXPECT_FLOAT_EQ(quad0[0].x, 0.5f + r) << j;
        EXPECT_FLOAT_EQ(quad0[0].y, float(j)) << j;
        EXPECT_FLOAT_EQ(quad0[0].z, -2.0f) << j;
        for (int i = 0; i < sides; ++i) {
            const tube_vertex* q = quad0 + 4 * i;
            EXPECT_NEAR(distance(q[0], s.positions[j]), r, 1e-5f);  // A on ring 0
            EXPECT_NEAR(distance(q[1], s.positions[j + 1]), r, 1e-5f);  // B on ring 1, same radius
        }
    }
    // The last key has no successor: its segment collapses onto the key.
    const tube_vertex* last = &out[std::size_t(99) * sides * 4];
    for (int k = 0; k < sides * 4; ++k) EXPECT_EQ(distance(last[k], s.positions[99]), 0.0f);
}

TEST(TubeQuads, CornerOrderAndNormalsWithAlternatingLift) {
    spline s = vertical(10, 2.0f, 0.0f);
    std::vector<tube_vertex> out;
    const int sides = 8;
    ASSERT_EQ(generate_tube(s, up, 0, 10, 10, sides, out), 10 * sides);
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < sides; ++i) {
            const tube_vertex* q = &out[std::size_t(j * sides + i) * 4];
            const tube_vertex* next = &out[std::size_t(j * sides + (i + 1) % sides) * 4];
            const double a = -6.283185307179586 / sides * i;
            // A then B along the tube at the same angle, C and D one step further.
            EXPECT_FLOAT_EQ(q[1].y - q[0].y, 1.0f);
            EXPECT_FLOAT_EQ(q[2].y - q[3].y, 1.0f);
            if (i + 1 < sides) {
                EXPECT_TRUE(same_position(q[3], next[0]));
                EXPECT_TRUE(same_position(q[2], next[1]));
            }
            // N = (0, 0, -1), B = (1, 0, 0): normal = N sin + B cos (+ z 1 on odd segments).
            for (int k = 0; k < 4; ++k) {
                EXPECT_NEAR(q[k].nx, std::cos(a), 1e-6);
                EXPECT_NEAR(q[k].ny, 0.0, 1e-6);
                EXPECT_NEAR(q[k].nz, -std::sin(a) + (j % 2), 1e-6);
            }
        }
    }
}

TEST(TubeQuads, TriangularPrismClosesAtTheStartAngle) {
    spline s = vertical(4, 1.0f, 0.0f);
    std::vector<tube_vertex> out;
    ASSERT_EQ(generate_tube(s, up, 0, 2, 2, 3, out), 6);
    const tube_vertex* first = &out[0];
    const tube_vertex* third = &out[8];
    EXPECT_NEAR(third[3].x, first[0].x, 1e-6f);  // D of the last quad is A of the first
    EXPECT_NEAR(third[3].z, first[0].z, 1e-6f);
    EXPECT_NEAR(third[2].x, first[1].x, 1e-6f);
    EXPECT_NEAR(third[2].z, first[1].z, 1e-6f);
    // The corners are 120 degrees apart, turning from +x towards +z (N = -z).
    EXPECT_NEAR(first[3].x, 0.5f + std::cos(2.0943951f), 1e-6f);
    EXPECT_NEAR(first[3].z, -2.0f + std::sin(2.0943951f), 1e-6f);
}

TEST(TubeQuads, NegativeRadiusMirrorsTheRingThroughTheCentre) {
    spline positive = vertical(6, 0.75f, 0.0f);
    spline negative = vertical(6, -0.75f, 0.0f);
    std::vector<tube_vertex> a, b;
    ASSERT_EQ(generate_tube(positive, up, 0, 6, 6, 5, a), 30);
    ASSERT_EQ(generate_tube(negative, up, 0, 6, 6, 5, b), 30);
    for (int k = 0; k < 4 * 5 * 4; ++k) {
        const vector3& centre = positive.positions[std::size_t(k / 20 + (k % 4 == 1 || k % 4 == 2))];
        EXPECT_FLOAT_EQ(b[k].x - centre.x, -(a[k].x - centre.x)) << k;
        EXPECT_FLOAT_EQ(b[k].z - centre.z, -(a[k].z - centre.z)) << k;
        EXPECT_EQ(b[k].nx, a[k].nx);  // the normal keeps the unscaled frame
    }
}

TEST(TubeQuads, TubeAlongUpCollapsesOntoItsCentreLine) {
    spline s;
    for (int i = 0; i < 5; ++i) s.append_key(vector3::of(1, 2, float(i)), vector3::of(3, 0, 0), vector3::of(0, 0, 0));
    std::vector<tube_vertex> out;
    ASSERT_EQ(generate_tube(s, up, 0, 5, 5, 4, out), 20);
    for (int k = 0; k < 80; ++k) {
        EXPECT_EQ(out[k].x, 1.0f);
        EXPECT_EQ(out[k].y, 2.0f);
        EXPECT_EQ(out[k].nx, 0.0f);
    }
}

TEST(TubeSamples, FractionalParametersFollowTheLoopingEvaluation) {
    spline s;
    for (int i = 0; i < 10; ++i) {
        s.append_key(vector3::of(float(i % 3), float(i), 0), vector3::of(1.0f + i, 0, 0), vector3::of(0, 0, 0));
    }
    std::vector<tube_vertex> out;
    // dt = 0.5: odd segments start half way between keys.
    ASSERT_EQ(generate_tube(s, up, 0, 10, 20, 4, out), 80);
    vector3 p = vector3::of(0, 0, 0), r = p, unused = p;
    s.evaluate_all(4.5f, p, r, unused);
    const tube_vertex* quads = &out[std::size_t(9) * 4 * 4];
    vector3 centre = vector3::of(0, 0, 0);
    for (int i = 0; i < 4; ++i) centre = add(centre, vector3::of(quads[4 * i].x, quads[4 * i].y, quads[4 * i].z));
    EXPECT_NEAR(centre.x / 4, p.x, 1e-5f);
    EXPECT_NEAR(centre.y / 4, p.y, 1e-5f);
    EXPECT_NEAR(distance(quads[0], p), std::fabs(r.x), 1e-4f);
}

TEST(TubeBuffer, ReusedWithoutShrinkingOrReallocating) {
    spline s = vertical(100);
    std::vector<tube_vertex> out;
    ASSERT_EQ(generate_tube(s, up, 0, 100, 100, 40, out), 4000);
    const tube_vertex* data = out.data();
    EXPECT_EQ(out.size(), 16000u);
    ASSERT_EQ(generate_tube(s, up, 0, 50, 50, 3, out), 150);
    EXPECT_EQ(out.size(), 16000u);
    ASSERT_EQ(generate_tube(s, up, 0, 100, 100, 40, out), 4000);
    EXPECT_EQ(out.data(), data);
}
