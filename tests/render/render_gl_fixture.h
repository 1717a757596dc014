// Shared fixture of the rendering tests: a fresh hidden GL context per test,
// the debug GL error check switched on, and a check at the end of every test
// that no GL error was logged while it ran.
#pragma once

#include "render/gl_check.h"
#include "render/render_context.h"
#include "render/shader_programs.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class RenderGlTest : public ::testing::Test {
protected:
    static constexpr int size = 64;

    void SetUp() override {
        gl = std::make_unique<gl_test::GlTestContext>(size, size);
        gl_check::set_enabled(true);
        gl_check::reset_logged_count();
        context = std::make_unique<RenderContext>();
        table = std::make_unique<ShaderProgramTable>();
    }

    void TearDown() override {
        gl_check::check("end of test");
        EXPECT_EQ(gl_check::logged_count(), 0) << "GL errors were logged during the test";
        table.reset();
        context.reset();
        gl.reset();
    }

    // Shader fixture name without extension, as the table's build calls take it.
    static std::string fixture(const std::string& name) {
        return std::string(VELMORIA_SOURCE_DIR) + "/tests/render/fixtures/" + name;
    }

    // Level 0 of a 2D texture read back with glGetTexImage, tightly packed.
    static std::vector<uint8_t> texture_bytes(GLuint texture, GLenum format, int w, int h, int channels) {
        std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * channels);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return bytes;
    }

    // A w x h RGBA texture of one colour, put straight into a slot of the table.
    void fill_slot(int slot, int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < bytes.size(); i += 4) {
            bytes[i] = r, bytes[i + 1] = g, bytes[i + 2] = b, bytes[i + 3] = a;
        }
        glGenTextures(1, &context->texture_ids[slot]);
        glBindTexture(GL_TEXTURE_2D, context->texture_ids[slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    }

    std::unique_ptr<gl_test::GlTestContext> gl;
    std::unique_ptr<RenderContext> context;
    std::unique_ptr<ShaderProgramTable> table;
};
