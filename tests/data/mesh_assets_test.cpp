// The committed meshes, read with the show's own loader: the promised object and
// triangle counts and bounding boxes, sound geometry (no degenerate triangles or
// normals, closed outward-facing objects), and the shapes their placements need.
#include "geometry/objmesh.h"
#include "tools/meshgen/mesh_promises.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace {

using point = std::array<float, 3>;

objmesh load_mesh(const std::string& file) {
    objmesh m;
    EXPECT_TRUE(m.load(("neomeshes//" + file).c_str(), false)) << file;
    return m;
}

point position(const objmesh& m, uint32_t vertex) {
    const mesh_vertex& v = m.vertices[vertex];
    return {v.x, v.y, v.z};
}

std::array<double, 3> face_normal(const point& a, const point& b, const point& c) {
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
}

struct box {
    point lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
};

// Bounding box of the triangles of objects [first, last).
box object_box(const objmesh& m, int first, int last) {
    box b;
    for (int32_t i = 3 * m.object_starts[first]; i < 3 * m.object_starts[last]; ++i) {
        const point p = position(m, m.indices[i]);
        for (int k = 0; k < 3; ++k) b.lo[k] = std::min(b.lo[k], p[k]), b.hi[k] = std::max(b.hi[k], p[k]);
    }
    return b;
}

// Signed volume enclosed by object k's triangles (positive when they face outward)
// and how many directed edges lack their reverse (zero for a closed surface).
struct closure {
    double volume = 0;
    int open_edges = 0;
};

closure object_closure(const objmesh& m, int k) {
    closure c;
    std::map<std::pair<point, point>, int> edges;
    for (int32_t t = m.object_starts[k]; t < m.object_starts[k + 1]; ++t) {
        const point p[3] = {position(m, m.indices[3 * t]), position(m, m.indices[3 * t + 1]),
                            position(m, m.indices[3 * t + 2])};
        const auto n = face_normal(p[0], p[1], p[2]);
        c.volume += (p[0][0] * n[0] + p[0][1] * n[1] + p[0][2] * n[2]) / 6.0;
        for (int e = 0; e < 3; ++e) ++edges[{p[e], p[(e + 1) % 3]}];
    }
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        if (reverse == edges.end() || reverse->second != count) ++c.open_edges;
    }
    return c;
}

}  // namespace

TEST(MeshAssets, EveryFileMatchesWhatTheGeneratorPromises) {
    for (const velmoria_assets::mesh_promise& p : velmoria_assets::mesh_promises) {
        SCOPED_TRACE(p.file);
        const objmesh m = load_mesh(p.file);
        EXPECT_TRUE(m.has_normals);
        EXPECT_EQ(m.normal_count > 0, true) << "normals come from the file, not from the loader";
        EXPECT_EQ(m.object_count(), p.objects);
        EXPECT_EQ(m.triangle_count, p.triangles);
        // No triangle before the first object: all of them are drawn.
        ASSERT_FALSE(m.object_starts.empty());
        EXPECT_EQ(m.object_starts.front(), 0);
        const box b = object_box(m, 0, m.object_count());
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(b.lo[k], p.lo[k], velmoria_assets::bounds_tolerance) << "axis " << k;
            EXPECT_NEAR(b.hi[k], p.hi[k], velmoria_assets::bounds_tolerance) << "axis " << k;
        }
        EXPECT_LT(std::filesystem::file_size(std::string("neomeshes/") + p.file), 2'500'000u);
    }
}

TEST(MeshAssets, NoDegenerateTrianglesAndUnitNormalsThatAgreeWithTheFaces) {
    for (const velmoria_assets::mesh_promise& p : velmoria_assets::mesh_promises) {
        SCOPED_TRACE(p.file);
        const objmesh m = load_mesh(p.file);
        for (const mesh_vertex& v : m.vertices) {
            const double length = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
            ASSERT_TRUE(std::isfinite(length));
            ASSERT_NEAR(length, 1.0, 2e-4);
        }
        int against = 0;
        for (int32_t t = 0; t < m.triangle_count; ++t) {
            const uint32_t* corner = &m.indices[3 * t];
            const auto n = face_normal(position(m, corner[0]), position(m, corner[1]), position(m, corner[2]));
            const double area2 = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            ASSERT_GT(area2, 1e-9) << "triangle " << t;
            for (int k = 0; k < 3; ++k) {
                const mesh_vertex& v = m.vertices[corner[k]];
                if (n[0] * v.nx + n[1] * v.ny + n[2] * v.nz <= 0) ++against;
            }
        }
        EXPECT_EQ(against, 0) << "vertex normals pointing away from their own face";
    }
}

TEST(MeshAssets, SolidMeshesAreClosedAndFaceOutward) {
    for (const char* file : {"quorrel.obj", "quorrels.obj", "wings.obj", "transf3.obj"}) {
        const objmesh m = load_mesh(file);
        for (int k = 0; k < m.object_count(); ++k) {
            SCOPED_TRACE(std::string(file) + " object " + std::to_string(k));
            const closure c = object_closure(m, k);
            EXPECT_EQ(c.open_edges, 0);
            EXPECT_GT(c.volume, 0.0);
        }
    }
    // The extruded letters face outward too (their caps may carry T-junctions).
    const objmesh credits = load_mesh("credits.obj");
    for (int k = 0; k < credits.object_count(); ++k) EXPECT_GT(object_closure(credits, k).volume, 0.0) << k;
}

TEST(MeshAssets, FigureStandsOffTheColumnAxisAndClearOfTheNextCopy) {
    const objmesh figure = load_mesh("quorrel.obj");
    EXPECT_GE(figure.triangle_count, 3000);
    EXPECT_LE(figure.triangle_count, 30000);
    float nearest = 1e30f;
    for (const mesh_vertex& v : figure.vertices) nearest = std::min(nearest, std::hypot(v.x, v.z));
    EXPECT_GT(nearest, 0.5f) << "the camera travels along the y axis";
    const box b = object_box(figure, 0, figure.object_count());
    EXPECT_LT(b.hi[1] - b.lo[1], 18.0f) << "copies stand 18 apart";
    // Centred on the -x side, a copy turned by 0 to 126 degrees about y lands on
    // the +z side, where the camera looks late in the figure column's time.
    EXPECT_LT((b.lo[0] + b.hi[0]) / 2, -2.0f);
    EXPECT_NEAR((b.lo[2] + b.hi[2]) / 2, 0.0f, 0.01f);
    const objmesh simple = load_mesh("quorrels.obj");
    EXPECT_LT(simple.triangle_count, figure.triangle_count / 4);
}

TEST(MeshAssets, WingIsMirrorSymmetricAndThinAlongItsStretchedAxis) {
    const objmesh wing = load_mesh("wings.obj");
    std::set<point> positions;
    for (const mesh_vertex& v : wing.vertices) positions.insert({v.x, v.y, v.z});
    int unmatched = 0;
    for (const point& p : positions) {
        if (!positions.count({-p[0], p[1], p[2]})) ++unmatched;
        if (!positions.count({p[0], p[1], -p[2]})) ++unmatched;
    }
    EXPECT_EQ(unmatched, 0);
    const box b = object_box(wing, 0, wing.object_count());
    const float span = b.hi[0] - b.lo[0], chord = b.hi[1] - b.lo[1], thickness = b.hi[2] - b.lo[2];
    EXPECT_GT(span, 3 * chord);
    EXPECT_GT(chord, 5 * thickness);
    // Stretched a hundredfold, the thickness makes a rod of 20 to 30 units.
    EXPECT_GT(100 * thickness, 20.0f);
    EXPECT_LT(100 * thickness, 30.0f);
}

TEST(MeshAssets, StructureLeavesItsCentreOpen) {
    const objmesh structure = load_mesh("transf3.obj");
    float nearest = 1e30f;
    for (const mesh_vertex& v : structure.vertices) nearest = std::min(nearest, std::hypot(v.x, v.y));
    EXPECT_GT(nearest, 5.0f);
}

// The credits as the roll draws them: scale 0.7, lines moved 2.6 down in the order
// object 1, 2, 0, camera at z = 25 with a 75-degree field of view at 16:9.
TEST(MeshAssets, CreditLinesAreCentredOrderedAndFitTheScreen) {
    const objmesh credits = load_mesh("credits.obj");
    ASSERT_GE(credits.object_count(), 3);
    const int order[3] = {1, 2, 0};
    const double half_height = std::tan(37.5 * M_PI / 180.0) * 25.0, half_width = half_height * 16.0 / 9.0;
    double previous_bottom = 1e30;
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE("line " + std::to_string(n + 1));
        const box b = object_box(credits, order[n], order[n] + 1);
        EXPECT_NEAR(b.lo[0] + b.hi[0], 0.0f, 0.01f) << "centred horizontally";
        const double top = 0.7 * (b.hi[1] - 2.6 * n), bottom = 0.7 * (b.lo[1] - 2.6 * n);
        const double width = 0.7 * (b.hi[0] - b.lo[0]);
        EXPECT_LT(width, 0.85 * 2 * half_width) << "fits the width with a margin";
        EXPECT_LT(top, 0.9 * half_height);
        EXPECT_GT(bottom, -0.9 * half_height);
        EXPECT_LT(top, previous_bottom) << "below the line before, not overlapping it";
        EXPECT_GT(top - bottom, 0.02 * 2 * half_height) << "tall enough to read";
        previous_bottom = bottom;
    }
    // The title is the largest line.
    const box title = object_box(credits, 1, 2), names = object_box(credits, 2, 3), years = object_box(credits, 0, 1);
    EXPECT_GT(title.hi[1] - title.lo[1], names.hi[1] - names.lo[1]);
    EXPECT_GT(title.hi[1] - title.lo[1], years.hi[1] - years.lo[1]);
}
