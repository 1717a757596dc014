// Tube submission on a real GL context: the one-draw submission gives the same
// picture as sending each quad's normal and four vertices in immediate mode, lit
// so that normals matter; rejected arguments draw nothing; arrays end disabled.
#include "render/tube_draw.h"
#include "tests/render/shared_gl_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Generates the tube and submits it in one draw, as the scene's sink does.
void draw_tube(spline& path, const vector3& up, double t0, double t1, int32_t steps, int32_t sides) {
    std::vector<tube_vertex> buffer;
    const int32_t quads = generate_tube(path, up, t0, t1, steps, sides, buffer);
    submit_tube_quads(buffer.data(), quads);
}

spline wavy(int n) {
    spline s;
    for (int i = 0; i < n; ++i) {
        const float y = float(i);
        s.append_key(vector3::of(std::sin(y * 0.7f) * 1.5f, y, std::cos(y * 0.4f)),
                     vector3::of(0.3f + 0.05f * float(i % 5) - (i > 12 ? 0.6f : 0.0f), 0, 0), vector3::of(0, 0, 0));
    }
    return s;
}

class TubeDraw : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl_context();

    void SetUp() override {
        glViewport(0, 0, 96, 96);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -1, 20, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(25, 1, 0, 0);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
        const GLfloat direction[4] = {0.3f, 0.5f, 1, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
    }

    void clear() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    std::vector<uint8_t> picture() { return gl.read_pixels(0, 0, 96, 96); }
};

// Immediate mode, segment by segment: the normal once, then A, B, C, D.
void draw_immediately(const std::vector<tube_vertex>& v, int32_t quads, int32_t sides) {
    for (int32_t q = 0; q < quads; q += sides) {
        glBegin(GL_QUADS);
        for (int32_t i = q; i < q + sides; ++i) {
            glNormal3f(v[4 * i].nx, v[4 * i].ny, v[4 * i].nz);
            for (int k = 0; k < 4; ++k) glVertex3f(v[4 * i + k].x, v[4 * i + k].y, v[4 * i + k].z);
        }
        glEnd();
    }
}

}  // namespace

TEST_F(TubeDraw, OneDrawGivesTheImmediateModePicture) {
    const vector3 up = vector3::of(0, 0, 1);
    for (int sides : {40, 3, 6}) {
        spline s = wavy(20);
        clear();
        draw_tube(s, up, 0, 20, 40, sides);  // half-key steps: evaluated samples too
        const std::vector<uint8_t> arrays = picture();
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY));

        std::vector<tube_vertex> buffer;
        const int32_t quads = generate_tube(s, up, 0, 20, 40, sides, buffer);
        clear();
        draw_immediately(buffer, quads, sides);
        const std::vector<uint8_t> immediate = picture();

        int covered = 0, differing = 0;
        for (std::size_t p = 0; p < arrays.size(); p += 4) {
            covered += arrays[p] > 0;
            differing += arrays[p] != immediate[p] || arrays[p + 1] != immediate[p + 1];
        }
        EXPECT_GT(covered, 500) << sides;
        EXPECT_EQ(differing, 0) << sides;
    }
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TubeDraw, RejectedArgumentsDrawNothing) {
    const vector3 up = vector3::of(0, 0, 1);
    spline s = wavy(20);
    clear();
    draw_tube(s, up, 0, 20, 20, 0);
    draw_tube(s, up, 0, 20, 20, 1000);
    draw_tube(s, up, 0, 20, 0, 40);
    draw_tube(s, up, 0, 0, 20, 40);
    spline empty;
    draw_tube(empty, up, 0, 20, 20, 40);
    const std::vector<uint8_t> pixels = picture();
    int lit = 0;
    for (std::size_t p = 0; p < pixels.size(); p += 4) lit += pixels[p] + pixels[p + 1] + pixels[p + 2] > 0;
    EXPECT_EQ(lit, 0);
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}
