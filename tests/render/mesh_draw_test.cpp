// Mesh drawing on a real GL context: which objects reach the picture (never the
// triangles before the first `o`, nothing for a missing object), the number of
// triangles GL receives, the normal and texture-coordinate offsets, and the client
// arrays left disabled, also for a mesh without vertices.
#include "render/mesh_draw.h"
#include "tests/render/shared_gl_context.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One square per quadrant: bottom-left before any object, top-left object 0,
// object 1 empty, top-right object 2; bottom-right stays empty.
const char* quadrants =
    "v -0.9 -0.9 0\nv -0.1 -0.9 0\nv -0.1 -0.1 0\nv -0.9 -0.1 0\n"
    "v -0.9 0.1 0\nv -0.1 0.1 0\nv -0.1 0.9 0\nv -0.9 0.9 0\n"
    "v 0.1 0.1 0\nv 0.9 0.1 0\nv 0.9 0.9 0\nv 0.1 0.9 0\n"
    "f 1 2 3 4\no top_left\nf 5 6 7 8\no empty\no top_right\nf 9 10 11\n";

struct lit {
    bool bottom_left, top_left, top_right, bottom_right;
    bool operator==(const lit&) const = default;
};

class MeshDraw : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl_context();

    void SetUp() override {
        glViewport(0, 0, 64, 64);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1, 1, 1);
    }

    lit draw(const objmesh& mesh, int32_t index) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        draw_mesh_object(mesh, index);
        auto on = [&](int x, int y) { return gl.pixel(x, y)[0] > 128; };
        return {on(16, 16), on(16, 48), on(56, 56), on(48, 16)};
    }

    static bool arrays_disabled() {
        return !glIsEnabled(GL_VERTEX_ARRAY) && !glIsEnabled(GL_NORMAL_ARRAY) && !glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    }
};

}  // namespace

TEST_F(MeshDraw, DrawsTheObjectsAskedForAndNothingElse) {
    objmesh mesh;
    mesh.load_from_text(quadrants, false);
    EXPECT_EQ(draw(mesh, -1), (lit{false, true, true, false}));
    EXPECT_EQ(draw(mesh, -5), (lit{false, true, true, false}));
    EXPECT_EQ(draw(mesh, 0), (lit{false, true, false, false}));
    EXPECT_EQ(draw(mesh, 1), (lit{false, false, false, false}));  // the empty object
    EXPECT_EQ(draw(mesh, 2), (lit{false, false, true, false}));
    EXPECT_EQ(draw(mesh, 3), (lit{false, false, false, false}));
    EXPECT_TRUE(arrays_disabled());
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));

    const objmesh unloaded;
    EXPECT_EQ(draw(unloaded, -1), (lit{false, false, false, false}));
    objmesh no_objects;
    no_objects.load_from_text("v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3 4\n", false);
    EXPECT_EQ(draw(no_objects, -1), (lit{false, false, false, false}));
}

TEST_F(MeshDraw, MeshWithoutVerticesPointsNoArrayAtAnything) {
    // An `o` line alone: no vertices, and smooth normals "computed" for none.
    objmesh mesh;
    mesh.load_from_text("o a\n", false);
    ASSERT_TRUE(mesh.vertices.empty());
    const float here[3] = {0, 0, 0};
    glNormalPointer(GL_FLOAT, 0, here);
    glVertexPointer(3, GL_FLOAT, 0, here);
    EXPECT_EQ(draw(mesh, -1), (lit{false, false, false, false}));
    GLvoid* normals = nullptr;
    GLvoid* positions = nullptr;
    glGetPointerv(GL_NORMAL_ARRAY_POINTER, &normals);
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &positions);
    EXPECT_EQ(normals, static_cast<const void*>(here));  // never an offset from a null array
    EXPECT_EQ(positions, static_cast<const void*>(here));
    EXPECT_TRUE(arrays_disabled());
    glNormalPointer(GL_FLOAT, 0, nullptr);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
}

TEST_F(MeshDraw, GlReceivesEachObjectsTriangles) {
    if (!GLEW_VERSION_3_0) GTEST_SKIP() << "no primitive query on this context";
    objmesh mesh;
    mesh.load_from_text(quadrants, false);
    GLuint query = 0;
    glGenQueries(1, &query);
    auto triangles_of = [&](int32_t index) {
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw_mesh_object(mesh, index);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint n = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &n);
        return n;
    };
    EXPECT_EQ(triangles_of(-1), 3u);  // 2 + 0 + 1, never the first square
    EXPECT_EQ(triangles_of(0), 2u);
    EXPECT_EQ(triangles_of(1), 0u);
    EXPECT_EQ(triangles_of(2), 1u);
    EXPECT_EQ(triangles_of(7), 0u);
    glDeleteQueries(1, &query);
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDraw, NormalsAndTextureCoordinatesComeFromTheirOffsets) {
    // Object 0 faces the light, object 1 faces away; object 0 samples the red
    // texel, object 1 the green one.
    const std::string text = std::string(quadrants) +
                             "vn 0 0 1\nvn 0 0 -1\nvt 0.25 0.5\nvt 0.75 0.5\n"
                             "o lit\nf 1/1/1 2/1/1 3/1/1 4/1/1\no dark\nf 5/2/2 6/2/2 7/2/2 8/2/2\n";
    objmesh mesh;
    mesh.load_from_text(text, false);
    ASSERT_EQ(mesh.object_count(), 5);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat direction[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_mesh_object(mesh, 3);
    draw_mesh_object(mesh, 4);
    EXPECT_GT(gl.pixel(16, 16)[0], 150);
    EXPECT_LT(gl.pixel(16, 48)[0], 60);
    glDisable(GL_LIGHTING);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t texels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_mesh_object(mesh, -1);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
    const auto red = gl.pixel(16, 16), green = gl.pixel(16, 48);
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(green[0], 0);
    EXPECT_EQ(green[1], 255);
    EXPECT_TRUE(arrays_disabled());
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}
