// The pure parts of the texture loaders: row assembly (colour and greyscale), row
// flipping, and the wrap-around Sobel normal map.
#include "render/normal_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> picture(int width, int height, uint8_t red) {
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 9);
    for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i] = red;
    return rgb;
}

void expect_pixel(const std::vector<uint8_t>& rgb, int width, int x, int y, int r, int g, int b) {
    const uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    EXPECT_EQ(p[0], r) << "at " << x << "," << y;
    EXPECT_EQ(p[1], g) << "at " << x << "," << y;
    EXPECT_EQ(p[2], b) << "at " << x << "," << y;
}

TEST(NormalMap, FlatPicturesPointStraightUp) {
    std::vector<uint8_t> flat = sobel_normal_map(picture(5, 3, 200), 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) expect_pixel(flat, 5, x, y, 127, 127, 255);
    std::vector<uint8_t> single = sobel_normal_map(picture(1, 1, 37), 1, 1);
    expect_pixel(single, 1, 0, 0, 127, 127, 255);
}

TEST(NormalMap, BrightLeftColumnReachesTheRightEdgeThroughWrapAround) {
    const int w = 8, h = 4;
    std::vector<uint8_t> rgb = picture(w, h, 0);
    for (int y = 0; y < h; ++y) rgb[static_cast<std::size_t>(y) * w * 3] = 255;
    std::vector<uint8_t> n = sobel_normal_map(rgb, w, h);
    for (int y = 0; y < h; ++y) {
        // Right edge: gx = 4, n = (-4, 0, 1) / sqrt(17).
        expect_pixel(n, w, w - 1, y, 3, 127, 158);
        // Column 1 sees the bright column on its left: gx = -4.
        expect_pixel(n, w, 1, y, 251, 127, 158);
        // The bright column itself has equal neighbours on both sides.
        expect_pixel(n, w, 0, y, 127, 127, 255);
        expect_pixel(n, w, 4, y, 127, 127, 255);
    }
}

TEST(NormalMap, VerticalGradientUsesRowsCountedFromTheTop) {
    const int w = 3, h = 5;
    std::vector<uint8_t> rgb = picture(w, h, 0);
    for (int x = 0; x < w; ++x) rgb[(static_cast<std::size_t>(2) * w + x) * 3] = 255;  // bright middle row
    std::vector<uint8_t> n = sobel_normal_map(rgb, w, h);
    expect_pixel(n, w, 1, 1, 127, 251, 158);  // bright row below: gy = -4
    expect_pixel(n, w, 1, 3, 127, 3, 158);    // bright row above: gy = 4
}

TEST(TextureRows, ColourAndGreyRowsBecomeRgbAndFlip) {
    const uint8_t colour[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    uint8_t rgb[6];
    assemble_rgb_row(colour, 2, 4, rgb);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    const uint8_t grey[2] = {7, 200};
    assemble_rgb_row(grey, 2, 1, rgb);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), (std::vector<uint8_t>{7, 7, 7, 200, 200, 200}));

    std::vector<uint8_t> two_rows = {1, 1, 1, 2, 2, 2};
    EXPECT_EQ(flip_rows(two_rows, 1, 2), (std::vector<uint8_t>{2, 2, 2, 1, 1, 1}));
}

}  // namespace
