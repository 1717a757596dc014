// Frame statistics on hand-made pictures: mean luminance and clipping counted as
// documented, a lone black pixel in a lit area is a speckle while black areas,
// dark surroundings and the border are not, and the bounds name what they break.
#include "tools/framestats/frame_stats.h"

#include <gtest/gtest.h>

namespace {

struct picture {
    int width, height;
    std::vector<uint8_t> pixels;
    picture(int w, int h, uint8_t grey) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, grey) {}
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    }
    frame_stats measure() const { return measure_frame(width, height, pixels); }
};

TEST(FrameStats, MeanLuminanceAndClippedShare) {
    picture grey(10, 10, 51);  // 0.2 everywhere
    EXPECT_NEAR(grey.measure().mean_luminance, 0.2, 1e-9);
    EXPECT_EQ(grey.measure().clipped_fraction, 0.0);

    picture mixed(10, 10, 0);
    for (int x = 0; x < 10; ++x) mixed.set(x, 0, 255, 255, 255);  // one white row
    mixed.set(0, 1, 255, 255, 0);                                  // yellow is not clipped white
    const frame_stats s = mixed.measure();
    EXPECT_NEAR(s.clipped_fraction, 0.1, 1e-9);
    EXPECT_NEAR(s.mean_luminance, (10.0 + 0.2126 + 0.7152) / 100.0, 1e-9);

    picture green(4, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) green.set(x, y, 0, 255, 0);
    EXPECT_NEAR(green.measure().mean_luminance, 0.7152, 1e-9) << "Rec. 709 weights";
}

TEST(FrameStats, SpecklesAreLoneBlackPixelsInLitAreas) {
    picture lit(8, 8, 120);
    lit.set(3, 3, 0, 0, 0);
    lit.set(6, 5, 2, 1, 0);
    EXPECT_EQ(lit.measure().speckles, 2);

    picture block(8, 8, 120);  // two black pixels side by side: a shape, not a speckle
    block.set(3, 3, 0, 0, 0);
    block.set(4, 3, 0, 0, 0);
    EXPECT_EQ(block.measure().speckles, 0);

    picture dim(8, 8, 20);  // a black pixel among dark ones is shading
    dim.set(3, 3, 0, 0, 0);
    EXPECT_EQ(dim.measure().speckles, 0);

    picture border(8, 8, 120);
    border.set(0, 4, 0, 0, 0);
    border.set(7, 7, 0, 0, 0);
    EXPECT_EQ(border.measure().speckles, 0);

    EXPECT_EQ(measure_frame(0, 0, {}).speckles, 0);
    EXPECT_EQ(measure_frame(4, 4, std::vector<uint8_t>(5)).mean_luminance, 0.0) << "short pixel data is refused";
}

TEST(FrameStats, BoundsNameWhatTheyBreak) {
    frame_stats s;
    s.mean_luminance = 0.3;
    EXPECT_EQ(frame_problem(s, false), nullptr);
    s.mean_luminance = 0.05;
    EXPECT_STREQ(frame_problem(s, false), "too dark");
    s.mean_luminance = 0.75;
    EXPECT_STREQ(frame_problem(s, false), "too bright");
    s.mean_luminance = 0.5;
    s.clipped_fraction = 0.06;
    EXPECT_STREQ(frame_problem(s, false), "too much clipped to white");
    EXPECT_EQ(frame_problem(s, true), nullptr) << "a flash may clip";
    s.speckles = 1;
    EXPECT_STREQ(frame_problem(s, true), "black speckles");
}

}  // namespace
