// The OBJ loader: objects and their ranges, the one-token object name, fan
// triangulation, negative indices, vertex merging, normals read or computed, the
// tokenising rules, and malformed faces skipped without reading outside an array.
#include "geometry/objmesh.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

objmesh from_text(const std::string& text, bool force_normals = false) {
    objmesh m;
    m.load_from_text(text, force_normals);
    return m;
}

std::vector<std::pair<int32_t, int32_t>> drawn(const objmesh& m, int32_t index) {
    std::vector<std::pair<int32_t, int32_t>> ranges;
    m.for_each_drawn_range(index, [&](int32_t first, int32_t count) { ranges.emplace_back(first, count); });
    return ranges;
}

std::vector<float> position_of(const objmesh& m, uint32_t index_number) {
    const mesh_vertex& v = m.vertices[m.indices[index_number]];
    return {v.x, v.y, v.z};
}

const char* square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

}  // namespace

TEST(ObjMeshObjects, FileWithoutObjectStatementHasNoObjects) {
    const objmesh m = from_text(std::string(square) + "f 1 2 3\n");
    EXPECT_TRUE(m.loaded);
    EXPECT_EQ(m.triangle_count, 1);
    EXPECT_EQ(m.object_starts, std::vector<int32_t>{1});
    EXPECT_EQ(m.object_count(), 0);
    EXPECT_TRUE(drawn(m, -1).empty());
    EXPECT_TRUE(drawn(m, 0).empty());
}

TEST(ObjMeshObjects, TrianglesBeforeTheFirstObjectAreNeverDrawn) {
    const objmesh m = from_text(std::string(square) + "f 1 2 3\no first\nf 1 3 4\nf 2 3 4\no second\nf 1 2 4\n");
    EXPECT_EQ(m.object_starts, (std::vector<int32_t>{1, 3, 4}));
    using ranges = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(drawn(m, -1), (ranges{{3, 6}, {9, 3}}));
    EXPECT_EQ(drawn(m, -5), drawn(m, -1));
    EXPECT_EQ(drawn(m, 1), (ranges{{9, 3}}));
    EXPECT_TRUE(drawn(m, 2).empty());
    EXPECT_TRUE(drawn(m, 1000).empty());
}

TEST(ObjMeshObjects, ObjectWithoutFacesIsDrawnWithZeroIndices) {
    const objmesh m = from_text(std::string(square) + "o empty\no full\nf 1 2 3\n");
    using ranges = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(drawn(m, -1), (ranges{{0, 0}, {0, 3}}));
    EXPECT_EQ(drawn(m, 0), (ranges{{0, 0}}));
}

TEST(ObjMeshObjects, ObjectNameIsOneTokenAndTheNextWordIsAStatement) {
    // "Object" starts with a capital O, matches nothing, and its line is skipped,
    // face included.
    const objmesh two_words = from_text(std::string(square) + "o My Object f 1 2 3\nf 1 3 4\n");
    EXPECT_EQ(two_words.triangle_count, 1);
    EXPECT_EQ(two_words.object_starts, (std::vector<int32_t>{0, 1}));
    // After the one-token name, a face on the same line is read.
    const objmesh one_word = from_text(std::string(square) + "o My f 1 2 3\n");
    EXPECT_EQ(one_word.triangle_count, 1);
}

TEST(ObjMeshObjects, UnloadedMeshDrawsNothing) {
    objmesh m;
    EXPECT_FALSE(m.loaded);
    EXPECT_EQ(m.object_count(), 0);
    EXPECT_TRUE(drawn(m, -1).empty());
    EXPECT_FALSE(m.load("no/such/file.obj", false));
    EXPECT_FALSE(m.loaded);
}

TEST(ObjMeshFaces, PolygonsAreFans) {
    const objmesh quad = from_text(std::string(square) + "f 1 2 3 4\n");
    ASSERT_EQ(quad.triangle_count, 2);
    EXPECT_EQ(quad.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(position_of(quad, 4), (std::vector<float>{1, 1, 0}));
    EXPECT_EQ(position_of(quad, 5), (std::vector<float>{0, 1, 0}));

    const objmesh pentagon = from_text(std::string(square) + "v 0.5 2 0\nf 1 2 3 4 5\n");
    EXPECT_EQ(pentagon.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
}

TEST(ObjMeshFaces, NegativeIndicesCountBackFromTheLastElementRead) {
    const objmesh m = from_text("v 1 0 0\nv 2 0 0\nv 3 0 0\nf -3 -2 -1\nv 4 0 0\nv 5 0 0\nf -3 -2 -1\n");
    ASSERT_EQ(m.triangle_count, 2);
    EXPECT_EQ(position_of(m, 0)[0], 1.0f);
    EXPECT_EQ(position_of(m, 1)[0], 2.0f);
    EXPECT_EQ(position_of(m, 2)[0], 3.0f);
    EXPECT_EQ(position_of(m, 3)[0], 3.0f);
    EXPECT_EQ(position_of(m, 4)[0], 4.0f);
    EXPECT_EQ(position_of(m, 5)[0], 5.0f);
}

TEST(ObjMeshFaces, AllFourFormsReadTheirAttributes) {
    const std::string attributes = std::string(square) + "vt 0.25 0.75\nvt 0.5 1\nvn 0 0 1\nvn 0 1 0\n";
    const objmesh full = from_text(attributes + "f 1/1/2 2/2/1 3/1/1\n");
    const mesh_vertex& a = full.vertices[0];
    EXPECT_EQ(a.u, 0.25f);
    EXPECT_EQ(a.v, 0.75f);  // as read, not flipped
    EXPECT_EQ(a.ny, 1.0f);
    EXPECT_EQ(full.vertices[1].nz, 1.0f);

    const objmesh textured = from_text(attributes + "f 1/2 2/2 3/2\n");
    EXPECT_EQ(textured.vertices[2].u, 0.5f);
    EXPECT_EQ(textured.vertices[2].nz, 0.0f);

    const objmesh normals_only = from_text(attributes + "f 1//2 2//2 3//2\n");
    EXPECT_EQ(normals_only.vertices[0].u, 0.0f);
    EXPECT_EQ(normals_only.vertices[0].ny, 1.0f);
    EXPECT_TRUE(full.has_texcoords && full.has_normals && full.has_positions);
}

TEST(ObjMeshVertices, MergedBitForBitAndSplitByNormal) {
    // Two faces sharing corners 1 and 3 with identical attributes share vertices;
    // corner 1 with another normal is a vertex of its own.
    const std::string text = std::string(square) + "vn 0 0 1\nvn 1 0 0\n" +
                             "f 1//1 2//1 3//1\nf 1//1 3//1 4//1\nf 1//2 2//2 4//2\n";
    const objmesh m = from_text(text);
    EXPECT_EQ(m.indices[3], m.indices[0]);
    EXPECT_EQ(m.indices[4], m.indices[2]);
    EXPECT_NE(m.indices[6], m.indices[0]);
    EXPECT_EQ(m.vertices.size(), 7u);
    EXPECT_EQ(m.vertices_by_position.at(0), (std::vector<uint32_t>{0, 4}));
    // Texture coordinates split too, and the split vertices are smoothed apart.
    const objmesh uv = from_text(std::string(square) + "vt 0 0\nvt 1 1\nf 1/1 2/1 3/1\nf 1/2 3/2 4/2\n");
    EXPECT_EQ(uv.vertices.size(), 6u);
}

TEST(ObjMeshNormals, ReadButUnusedNormalsStayZero) {
    const objmesh m = from_text(std::string(square) + "vn 0 0 1\nf 1 2 3\n");
    EXPECT_TRUE(m.has_normals);
    for (const mesh_vertex& v : m.vertices) {
        EXPECT_EQ(v.nx, 0.0f);
        EXPECT_EQ(v.ny, 0.0f);
        EXPECT_EQ(v.nz, 0.0f);
    }
}

TEST(ObjMeshNormals, ComputedSmoothAndAreaWeightedWithoutNormalStatements) {
    // A large triangle in the z = 0 plane and a small one in the x = 0 plane
    // share the edge from (0,0,0) to (0,1,0).
    const std::string text = "v 0 0 0\nv 0 1 0\nv 4 0 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\n";
    const objmesh m = from_text(text);
    EXPECT_TRUE(m.has_normals);
    // Counter-clockwise seen from +z: (p1 - p0) x (p2 - p0) points to +z.
    const mesh_vertex& only_big = m.vertices[m.indices[1]];
    EXPECT_FLOAT_EQ(only_big.nz, 1.0f);
    const mesh_vertex& shared = m.vertices[m.indices[0]];
    // Sum (0,0,4) + (1,0,0), normalised.
    EXPECT_FLOAT_EQ(shared.nx, 1.0f / std::sqrt(17.0f));
    EXPECT_FLOAT_EQ(shared.nz, 4.0f / std::sqrt(17.0f));

    const objmesh forced = from_text("vn 1 0 0\n" + text, true);
    EXPECT_FLOAT_EQ(forced.vertices[forced.indices[1]].nz, 1.0f);
}

TEST(ObjMeshNormals, DegenerateTriangleLeavesZeroNormalNotNaN) {
    const objmesh m = from_text("v 0 0 0\nv 1 1 1\nv 2 2 2\nf 1 2 3\n");
    for (const mesh_vertex& v : m.vertices) EXPECT_EQ(v.nx, 0.0f);
}

TEST(ObjMeshTokens, StatementsRecognisedByFirstCharacters) {
    const std::string text =
        "# comment f 1 2 3\nmtllib scene.mtl\nusemtl skin\ng group\ns 1\n"
        "vertex 5 5 5\n"  // 'v' then 'e': nothing; "5" then skips its line
        "v 0 0 0\nvn 0 0 1\nvt 0 0\nvp 1 2\nv 1 0 0\nv 0 1 0\nl 1 2\n"
        "face 1 2 3\n";  // any token starting with f is a face
    const objmesh m = from_text(text);
    EXPECT_EQ(m.position_count, 3);
    EXPECT_EQ(m.normal_count, 1);
    EXPECT_EQ(m.texcoord_count, 1);
    EXPECT_EQ(m.triangle_count, 1);
}

TEST(ObjMeshTokens, LineSkipStopsAfter255Characters) {
    // 255 characters after the "#" token are discarded; the face behind them is read.
    const std::string comment = "# " + std::string(253, 'x') + " f 1 2 3\n";
    const objmesh m = from_text(std::string(square) + comment);
    EXPECT_EQ(m.triangle_count, 1);
    const std::string short_comment = "# " + std::string(200, 'x') + " f 1 2 3\n";
    EXPECT_EQ(from_text(std::string(square) + short_comment).triangle_count, 0);
}

TEST(ObjMeshTokens, CarriageReturnsAndMalformedNumbers) {
    const objmesh m = from_text("v 1 2 3\r\nv 4 five 6\r\nv 7 8 9\r\nf 1 2 3\r\n");
    ASSERT_EQ(m.position_count, 3);
    // The failed read leaves the slot at 0 and the counter still advances.
    EXPECT_EQ(m.positions, (std::vector<float>{1, 2, 3, 4, 0, 0, 7, 8, 9}));
    EXPECT_EQ(m.triangle_count, 1);
}

TEST(ObjMeshMalformed, BadFacesAreSkippedWholeAndGoodOnesKept) {
    const std::string faces[] = {
        "f 0 1 2\n",           // index 0
        "f 1 2 9\n",           // past the last position
        "f -1 -2 -9\n",        // below the first position
        "f 1 2\n",             // fewer than three corners
        "f 1/1 2//1 3/1\n",    // mixed forms
        "f 1 2 3/1\n",         // mixed forms after the third corner too
        "f 1/5 2/5 3/5\n",     // texture coordinate past the end
        "f 1//1 2//1 3//-2\n", // normal below the start
    };
    for (const std::string& bad : faces) {
        objmesh m;
        const std::string text = std::string(square) + "vt 0 0\nvn 0 0 1\n" + bad + "f 1 2 3\n";
        const load_outcome outcome = m.load_from_text(text, false);
        EXPECT_EQ(outcome.problem, load_problem::bad_faces) << bad;
        EXPECT_EQ(m.triangle_count, 1) << bad;
        EXPECT_EQ(m.indices.size(), 3u) << bad;
        EXPECT_EQ(m.object_starts.back(), 1) << bad;
    }
}

TEST(ObjMeshMalformed, FaceWithoutCornersTakesTheNextTokenAsItsFirst) {
    // Like formatted input, the first corner is whatever token comes next: here the
    // next line's "f", so that line's face is lost as well.
    EXPECT_EQ(from_text(std::string(square) + "f\nf 1 2 3\nf 2 3 4\n").triangle_count, 1);
    EXPECT_EQ(from_text(std::string(square) + "f 1 2 3\nf").triangle_count, 1);
}

TEST(ObjMeshMalformed, ReferenceToALaterPositionReadsZero) {
    const objmesh m = from_text("v 1 1 1\nv 2 2 2\nf 1 2 3\nv 3 3 3\n");
    ASSERT_EQ(m.triangle_count, 1);
    EXPECT_EQ(position_of(m, 2), (std::vector<float>{0, 0, 0}));
}

TEST(ObjMeshMalformed, PassesThatTokeniseDifferentlyStayInsideTheArrays) {
    // The counting pass skips the rest of a "vn" line; the reading pass reads its
    // three numbers and then finds a "v" and a face the counting pass never saw.
    const objmesh m = from_text("vn 0 0 1 v 1 2 3 v 4 5 6 v 7 8 9 f 1 2 3\n");
    EXPECT_EQ(m.position_count, 3);
    EXPECT_EQ(m.triangle_count, 1);
    EXPECT_FALSE(m.has_positions);  // flags come from the counting pass
}

TEST(ObjMeshFiles, LoadReadsAFileLikeTextAndReplacesOldContents) {
    const std::string path = std::string(VELMORIA_BINARY_DIR) + "/objmesh_test_square.obj";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs((std::string(square) + "o a\nf 1 2 3 4\n").c_str(), f);
    std::fclose(f);
    objmesh m = from_text(std::string(square) + "o x\no y\no z\nf 1 2 3\n");
    ASSERT_TRUE(m.load(path.c_str(), false));
    std::remove(path.c_str());
    EXPECT_EQ(m.object_starts, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(m.vertices.size(), 4u);
    // A later failure to open leaves the loaded mesh as it was.
    EXPECT_FALSE(m.load("no/such/file.obj", false));
    EXPECT_TRUE(m.loaded);
    EXPECT_EQ(m.triangle_count, 2);
}

TEST(ObjMeshFiles, SaysWhyAFileGivesLessThanAWholeMesh) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(VELMORIA_BINARY_DIR) / "objmesh_test_folder.obj";
    fs::create_directories(folder);
    objmesh m;
    load_outcome outcome;
    EXPECT_FALSE(m.load(folder.c_str(), false, &outcome));  // a folder opens for reading on Linux
    EXPECT_FALSE(m.loaded);
    EXPECT_EQ(outcome.problem, load_problem::system_error);
    EXPECT_EQ(outcome.system_error, EISDIR);
    EXPECT_FALSE(m.load("no/such/file.obj", false, &outcome));
    EXPECT_EQ(outcome.system_error, ENOENT);

    // One byte over the limit, sparse: refused before anything is read.
    const fs::path huge = fs::path(VELMORIA_BINARY_DIR) / "objmesh_test_huge.obj";
    { std::ofstream create(huge); }
    fs::resize_file(huge, max_text_file_bytes + 1);
    EXPECT_FALSE(m.load(huge.c_str(), false, &outcome));
    fs::remove(huge);
    EXPECT_EQ(outcome.problem, load_problem::too_large);
    EXPECT_FALSE(m.loaded);

    EXPECT_EQ(m.load_from_text("o a\n", false).problem, load_problem::no_faces);
    EXPECT_EQ(m.load_from_text(std::string(square), false).problem, load_problem::no_faces);
    EXPECT_TRUE(m.load_from_text(std::string(square) + "f 1 2 3\n", false).ok());
}
