// The JPEG texture loaders on a real GL context: uploaded texels equal the decoded
// rows bottom-first, the asset hook is told and the progress step made, a second load
// into a slot makes a new texture, normal maps and greyscale pictures come out as
// RGB; unreadable and undecodable files give back the file, the reason and the
// box's caption, and upload nothing.
#include "render/render_context.h"
#include "tests/render/jpeg/jpeg_test_support.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string write_jpeg(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = std::string(VELMORIA_BINARY_DIR) + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<uint8_t> texture_rgb(GLuint name, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

double progress_total = 0;
void count_progress(double step) { progress_total += step; }

// What the asset hook was told, in order.
struct told_asset {
    std::string name;
    int slot = 0;
    int width = 0;
    int height = 0;
};
std::vector<told_asset> assets_told;
void tell_asset(const char* file_name, int slot, int width, int height) {
    assets_told.push_back({file_name, slot, width, height});
}

TEST(ImageTextures, TextureHoldsTheDecodedRowsBottomFirst) {
    gl_test::GlTestContext gl;
    const auto owned = std::make_unique<RenderContext>();
    RenderContext& context = *owned;
    context.asset_callback = tell_asset;
    std::vector<uint8_t> jpeg = cjpeg_pattern(37, 23, "-quality 90");
    std::string path = write_jpeg("texture_37x23.jpg", jpeg);
    decoded_picture expected = decode_jpeg(jpeg, true);
    ASSERT_EQ(expected.error_code, 0);

    progress_total = 0;
    context.progress_callback = count_progress;
    assets_told.clear();
    context.load_jpeg_texture(path.c_str(), 12);
    context.progress_callback = nullptr;
    EXPECT_DOUBLE_EQ(progress_total, 0.1);

    ASSERT_EQ(assets_told.size(), 1u);
    EXPECT_EQ(assets_told[0].name, path);
    EXPECT_EQ(assets_told[0].slot, 12);
    EXPECT_EQ(assets_told[0].width, 37);
    EXPECT_EQ(assets_told[0].height, 23);

    GLuint first = context.texture_ids[12];
    ASSERT_NE(first, 0u);
    std::vector<uint8_t> texels = texture_rgb(first, 37, 23);
    std::size_t row = 37 * 3;
    for (int y = 0; y < 23; ++y)
        ASSERT_TRUE(std::equal(texels.begin() + static_cast<long>((22 - y) * row),
                               texels.begin() + static_cast<long>((23 - y) * row),
                               expected.pixels.begin() + static_cast<long>(y * row)))
            << "file row " << y;

    context.load_jpeg_texture(path.c_str(), 12);
    EXPECT_NE(context.texture_ids[12], first);
    EXPECT_TRUE(glIsTexture(first));
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ImageTextures, NormalMapOfAFlatPictureAndGreyscaleExpansion) {
    gl_test::GlTestContext gl;
    const auto owned = std::make_unique<RenderContext>();
    RenderContext& context = *owned;
    std::string flat = write_jpeg("flat_grey.jpg", cjpeg_pattern(1, 1, "-grayscale"));
    context.load_jpeg_normal_map(flat.c_str(), 3);
    std::vector<uint8_t> n = texture_rgb(context.texture_ids[3], 1, 1);
    EXPECT_EQ(n, (std::vector<uint8_t>{127, 127, 255}));

    std::vector<uint8_t> grey_jpeg = cjpeg_pattern(20, 10, "-grayscale -quality 95");
    std::string grey = write_jpeg("grey_20x10.jpg", grey_jpeg);
    context.load_jpeg_texture(grey.c_str(), 4);
    std::vector<uint8_t> texels = texture_rgb(context.texture_ids[4], 20, 10);
    decoded_picture expected = decode_jpeg(grey_jpeg, true);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const uint8_t* t = texels.data() + ((9 - y) * 20 + x) * 3;
            uint8_t g = expected.pixels[static_cast<std::size_t>(y * 20 + x)];
            ASSERT_EQ(t[0], g);
            ASSERT_EQ(t[1], g);
            ASSERT_EQ(t[2], g);
        }
}

TEST(ImageTextures, AFailedLoadReturnsTheFileItsReasonAndItsCaption) {
    const auto owned = std::make_unique<RenderContext>();
    RenderContext& context = *owned;
    const outcome missing = context.load_jpeg_texture("no/such.jpg", 1);
    EXPECT_FALSE(missing.done());
    EXPECT_EQ(missing.what, "no/such.jpg");
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_EQ(missing.caption, texture_load_reason::unreadable);
    // A normal map's file that cannot be opened has the other caption.
    EXPECT_EQ(context.load_jpeg_normal_map("no/such.jpg", 1).caption, texture_load_reason::undecodable);
    EXPECT_EQ(context.load_jpeg_texture(VELMORIA_BINARY_DIR, 1).reason, "Is a directory");

    const std::string text = write_jpeg("not_a_jpeg_result.jpg", std::vector<uint8_t>(100, 'x'));
    const outcome undecodable = context.load_jpeg_texture(text.c_str(), 1);
    EXPECT_EQ(undecodable.caption, texture_load_reason::undecodable);
    EXPECT_EQ(undecodable.reason.rfind("no start-of-image marker", 0), 0u) << undecodable.reason;
    EXPECT_EQ(context.texture_of_slot(1), 0u);

    // Entropy data that fails inside read_row: the loader must stop, not upload.
    std::vector<uint8_t> corrupt = cjpeg_pattern(16, 16, "-quality 80");
    long sos = find_marker(corrupt, 0xDA);
    ASSERT_GT(sos, 0);
    for (std::size_t i = static_cast<std::size_t>(sos) + 14; i + 3 < corrupt.size(); i += 2) {
        corrupt[i] = 0xFF;
        corrupt[i + 1] = 0x00;
    }
    const outcome bad = context.load_jpeg_texture(write_jpeg("corrupt_entropy.jpg", corrupt).c_str(), 1);
    EXPECT_EQ(bad.caption, texture_load_reason::undecodable);
    EXPECT_FALSE(bad.reason.empty());
    EXPECT_EQ(context.texture_of_slot(1), 0u);
}

}  // namespace
