// The verdict of the OpenGL start-up check: which features are named as missing
// and what the message says, from hand-made probes.
#include "app/gl_requirements.h"

#include "app/shell_messages.h"

#include <gtest/gtest.h>

namespace {

gl_feature_probe complete_probe() {
    gl_feature_probe probe;
    probe.loader_ready = true;
    probe.shader_objects = true;
    probe.framebuffer_object = true;
    probe.framebuffer_multisample = true;
    probe.framebuffer_blit = true;
    probe.renderer = "Test Renderer, OpenGL 2.1";
    return probe;
}

TEST(GlRequirements, CompleteDriverPassesWithoutMessage) {
    EXPECT_TRUE(missing_gl_features(complete_probe()).empty());
    EXPECT_EQ(gl_requirements_problem(complete_probe()), "");
}

TEST(GlRequirements, EachMissingFeatureIsNamedWithTheRenderer) {
    gl_feature_probe probe = complete_probe();
    probe.framebuffer_blit = false;
    probe.shader_objects = false;
    EXPECT_EQ(missing_gl_features(probe),
              (std::vector<std::string>{"OpenGL 2.0 shader objects", "GL_EXT_framebuffer_blit"}));
    std::string text = gl_requirements_problem(probe);
    EXPECT_NE(text.find("Missing:\n  OpenGL 2.0 shader objects\n  GL_EXT_framebuffer_blit\n"), std::string::npos);
    EXPECT_NE(text.find("Renderer: Test Renderer, OpenGL 2.1"), std::string::npos);
    EXPECT_EQ(text.find("GL_EXT_framebuffer_object"), std::string::npos);

    probe = complete_probe();
    probe.framebuffer_multisample = false;
    probe.framebuffer_object = false;
    EXPECT_EQ(missing_gl_features(probe),
              (std::vector<std::string>{"GL_EXT_framebuffer_object", "GL_EXT_framebuffer_multisample"}));
}

// A failed loader leaves the feature flags meaningless, so even flags that read
// as present are named missing, and the box says the loader's reason.
TEST(GlRequirements, FailedLoaderReportsItsReasonAndEverythingMissing) {
    gl_feature_probe probe = complete_probe();
    probe.loader_ready = false;
    probe.loader_error = "Missing GL version";
    probe.renderer = "(unknown), OpenGL (unknown)";
    std::vector<std::string> missing = missing_gl_features(probe);
    ASSERT_EQ(missing.size(), 5u);
    EXPECT_EQ(missing[0], "OpenGL function loading (GLEW: Missing GL version)");
    const std::string text = gl_requirements_problem(probe);
    EXPECT_EQ(text.rfind(shell_text::gl_check_intro, 0), 0u) << text;
    EXPECT_NE(text.find("Missing:\n  OpenGL function loading (GLEW: Missing GL version)\n  OpenGL 2.0 shader objects\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n\nRenderer: (unknown), OpenGL (unknown)"), std::string::npos) << text;
}

}  // namespace
