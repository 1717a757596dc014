// The committed images: their JPEG frame headers (progressive noise of at least
// 512 x 512, baseline 4:2:0 blob), and their pictures as djpeg decodes them: a
// seamlessly tiling noise with contrast, a round blob that is black at the border.
#include "tools/imagegen/image_patterns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct frame_header {
    int marker = 0;  // 0xc0 baseline, 0xc2 progressive, ...
    int width = 0, height = 0;
    std::vector<int> sampling;  // h << 4 | v per component
};

// Walks the marker segments up to the first start-of-frame.
frame_header read_frame_header(const std::vector<uint8_t>& jpeg) {
    frame_header h;
    size_t at = 2;
    if (jpeg.size() < 4 || jpeg[0] != 0xff || jpeg[1] != 0xd8) return h;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xff) {
        const int marker = jpeg[at + 1];
        const size_t length = static_cast<size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) {
            if (at + 2 + length > jpeg.size() || length < 8) return h;
            const uint8_t* s = &jpeg[at + 4];
            h.marker = marker;
            h.height = s[1] << 8 | s[2];
            h.width = s[3] << 8 | s[4];
            for (int c = 0; c < s[5] && 8 + 3 * c + 2 < static_cast<int>(length); ++c) h.sampling.push_back(s[6 + 3 * c + 1]);
            return h;
        }
        at += 2 + length;
    }
    return h;
}

struct picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    int at(int x, int y, int channel) const { return rgb[(static_cast<size_t>(y) * width + x) * 3 + channel]; }
};

// Decodes with libjpeg-turbo's djpeg, used here as a black-box reference.
picture decode_with_djpeg(const std::string& path) {
    picture p;
    FILE* pipe = popen(("djpeg -pnm '" + path + "'").c_str(), "r");
    if (!pipe) return p;
    int maxval = 0;
    if (std::fscanf(pipe, "P6 %d %d %d", &p.width, &p.height, &maxval) == 3 && maxval == 255) {
        std::fgetc(pipe);
        p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
        if (std::fread(p.rgb.data(), 1, p.rgb.size(), pipe) != p.rgb.size()) p.rgb.clear();
    }
    pclose(pipe);
    return p;
}

bool djpeg_available() { return std::system("djpeg -version >/dev/null 2>&1") == 0; }

}  // namespace

TEST(ImageAssets, NoiseIsAProgressiveJpegOfAtLeast512Square) {
    const frame_header h = read_frame_header(read_file("textures/noise.jpg"));
    EXPECT_EQ(h.marker, 0xc2);
    EXPECT_GE(h.width, 512);
    EXPECT_EQ(h.width, h.height);
    EXPECT_EQ(h.sampling.size(), 3u);
}

TEST(ImageAssets, BlobIsABaselineJpegWithHalvedChroma) {
    const frame_header h = read_frame_header(read_file("textures/blob41b.jpg"));
    EXPECT_EQ(h.marker, 0xc0);
    EXPECT_EQ(h.width, 256);
    EXPECT_EQ(h.height, 256);
    ASSERT_EQ(h.sampling.size(), 3u);
    EXPECT_EQ(h.sampling[0], 0x22);
    EXPECT_EQ(h.sampling[1], 0x11);
    EXPECT_EQ(h.sampling[2], 0x11);
}

TEST(ImageAssets, NoiseTilesSeamlesslyAndHasContrast) {
    if (!djpeg_available()) GTEST_SKIP() << "djpeg not installed";
    const picture p = decode_with_djpeg("textures/noise.jpg");
    ASSERT_EQ(p.width, 512);
    ASSERT_EQ(p.rgb.size(), 512u * 512 * 3);
    // The step across the wrap (last column to first, last row to first) is no
    // larger than a typical step between neighbours.
    double inner = 0, seam_x = 0, seam_y = 0, sum = 0, sum2 = 0;
    int clipped = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int v = p.at(x, y, 0);
            sum += v;
            sum2 += v * v;
            clipped += v == 0 || v == 255;
            if (x + 1 < p.width) inner += std::abs(v - p.at(x + 1, y, 0));
        }
    for (int k = 0; k < 512; ++k) {
        seam_x += std::abs(p.at(511, k, 0) - p.at(0, k, 0));
        seam_y += std::abs(p.at(k, 511, 0) - p.at(k, 0, 0));
    }
    inner /= 511.0 * 512;
    EXPECT_LT(seam_x / 512, 2.0 * inner + 1.0);
    EXPECT_LT(seam_y / 512, 2.0 * inner + 1.0);
    const double n = 512.0 * 512, mean = sum / n;
    EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 20.0);
    EXPECT_NEAR(mean, 128.0, 20.0);
    EXPECT_LT(clipped, n / 100);
}

TEST(ImageAssets, BlobIsBrightInTheMiddleAndBlackAtTheBorder) {
    if (!djpeg_available()) GTEST_SKIP() << "djpeg not installed";
    const picture p = decode_with_djpeg("textures/blob41b.jpg");
    ASSERT_EQ(p.width, 256);
    ASSERT_EQ(p.rgb.size(), 256u * 256 * 3);
    int brightest_border = 0;
    for (int k = 0; k < 256; ++k)
        for (int c = 0; c < 3; ++c)
            for (int edge : {0, 255})
                brightest_border = std::max({brightest_border, p.at(k, edge, c), p.at(edge, k, c)});
    EXPECT_LE(brightest_border, 2);
    EXPECT_GT(p.at(128, 128, 0), 200);
    // Brightness falls steadily from the middle outward along a radius.
    int previous = 256;
    for (int x = 128; x < 256; x += 16) {
        EXPECT_LE(p.at(x, 128, 0), previous + 2) << "x " << x;
        previous = p.at(x, 128, 0);
    }
}

TEST(ImagePatterns, NoiseWrapsAroundBothWays) {
    for (int k = 0; k < 512; k += 37) {
        EXPECT_NEAR(velmoria_images::noise_value(512 + k, 100, 512), velmoria_images::noise_value(k, 100, 512), 1e-9);
        EXPECT_NEAR(velmoria_images::noise_value(k, 512 + 300, 512), velmoria_images::noise_value(k, 300, 512), 1e-9);
    }
}
