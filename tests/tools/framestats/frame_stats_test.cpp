// Frame statistics on hand-made pictures: mean luminance and clipping counted as
// documented, a lone black pixel in a lit area is a speckle while black areas,
// dark surroundings and the border are not, and the bounds name what they break;
// the look's measures on pictures whose values are known by hand.
#include "tools/framestats/frame_stats.h"

#include <gtest/gtest.h>

#include <cmath>

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

// Two halves, black (0) on the left and grey 204 (0.8) on the right.
picture split_picture(int w, int h) {
    picture p(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) p.set(x, y, 204, 204, 204);
    return p;
}

TEST(LookStats, RangeAndContrastOfTwoHalves) {
    const picture p = split_picture(64, 32);
    const look_stats l = measure_look(p.width, p.height, p.pixels);
    EXPECT_NEAR(l.range, 0.8, 1e-9);
    EXPECT_NEAR(l.contrast, 0.4, 1e-9) << "half at 0, half at 0.8";
    EXPECT_NEAR(l.local_contrast, 0.0, 1e-6) << "the edge falls between blocks";
    EXPECT_NEAR(l.flat_share, 1.0, 1e-9);
    EXPECT_NEAR(l.colourfulness, 0.0, 1e-9) << "grey has no colour";
}

TEST(LookStats, BlocksAreTakenOnTheHalvedFrame) {
    // Stripes two pixels wide survive the 2 x 2 box filter; one pixel wide they
    // average to flat grey.
    picture wide(32, 32, 0), fine(32, 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if ((x / 2) % 2) wide.set(x, y, 255, 255, 255);
            if (x % 2) fine.set(x, y, 255, 255, 255);
        }
    const look_stats w = measure_look(wide.width, wide.height, wide.pixels);
    EXPECT_NEAR(w.local_contrast, 0.5, 1e-9);
    EXPECT_NEAR(w.flat_share, 0.0, 1e-9);
    const look_stats f = measure_look(fine.width, fine.height, fine.pixels);
    EXPECT_NEAR(f.local_contrast, 0.0, 1e-6);
    EXPECT_NEAR(f.flat_share, 1.0, 1e-9);
    EXPECT_NEAR(f.range, 0.0, 1e-9);
}

TEST(LookStats, FlatBlocksAreBelowTheThreshold) {
    // Within each 8 x 8 block of the halved frame, half the pixels are raised by d:
    // the block's deviation is d / 2.
    auto block_picture = [](uint8_t d) {
        picture p(32, 32, 100);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if ((x / 2) % 2) p.set(x, y, 100 + d, 100 + d, 100 + d);
        return measure_look(p.width, p.height, p.pixels);
    };
    EXPECT_NEAR(block_picture(7).flat_share, 1.0, 1e-9) << "deviation 3.5 / 255 = 0.0137";
    EXPECT_NEAR(block_picture(8).flat_share, 0.0, 1e-9) << "deviation 4 / 255 = 0.0157";
}

TEST(LookStats, ColourfulnessFollowsHaslerAndSuesstrunk) {
    picture red(32, 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) red.set(x, y, 200, 0, 0);
    // rg = 200, yb = 100 everywhere: no spread, only the mean term.
    EXPECT_NEAR(measure_look(32, 32, red.pixels).colourfulness, 0.3 * std::hypot(200.0, 100.0), 1e-9);

    picture halves(32, 32, 0);  // left red, right blue
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) x < 16 ? halves.set(x, y, 200, 0, 0) : halves.set(x, y, 0, 0, 200);
    // rg: 200 / 0, mean 100, std 100; yb: 100 / -200, mean -50, std 150.
    const double expected = std::hypot(100.0, 150.0) + 0.3 * std::hypot(100.0, -50.0);
    EXPECT_NEAR(measure_look(32, 32, halves.pixels).colourfulness, expected, 1e-9);
}

TEST(LookStats, SmallFramesMeasureNothing) {
    const picture p = split_picture(14, 14);
    EXPECT_EQ(measure_look(p.width, p.height, p.pixels).range, 0.0);
    EXPECT_EQ(measure_look(32, 32, std::vector<uint8_t>(10)).range, 0.0) << "short pixel data is refused";
}

TEST(LookStats, SummaryTakesNearestRankSpreadsAndCountsFlatFrames) {
    std::vector<look_stats> looks(11);
    for (int i = 0; i < 11; ++i) {
        looks[i].range = 0.1 * i;
        looks[i].flat_share = i < 3 ? 0.6 : 0.5;  // 0.5 exactly is not more than half
    }
    const look_summary s = summarise_looks(looks);
    EXPECT_NEAR(s.range.p10, 0.1, 1e-9);
    EXPECT_NEAR(s.range.median, 0.5, 1e-9);
    EXPECT_NEAR(s.range.p90, 0.9, 1e-9);
    EXPECT_EQ(s.mostly_flat, 3);
    EXPECT_EQ(s.frames, 11);
}

}  // namespace
