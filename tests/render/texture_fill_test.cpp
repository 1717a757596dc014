// The generated texture bytes without GL: how many generator draws each fill
// takes and where the noise fill puts them.
#include "render/texture_fill.h"

#include "platform/show_random.h"

#include <gtest/gtest.h>

TEST(TextureFill, ColourTargetBytesStayBelow255AndFollowTheSequence) {
    show_srand(1);
    const auto bytes = color_target_bytes(2, 1);
    // Seed 1 gives 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358.
    const std::vector<uint8_t> expected = {41, 18467 % 255, 6334 % 255, 26500 % 255,
                                           19169 % 255, 15724 % 255, 11478 % 255, 29358 % 255};
    EXPECT_EQ(bytes, expected);
    show_srand(5);
    for (uint8_t b : color_target_bytes(64, 64)) ASSERT_LT(b, 255);
}

TEST(TextureFill, NoiseGoesDownEachColumnBeforeTheNext) {
    show_srand(1);
    const auto bytes = noise_bytes(2, 2);
    // Draws in order: (0,0), (0,1), (1,0), (1,1); three each, low 8 bits.
    const int draws[12] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464, 5705, 28145};
    const int pixel_of_draw[4] = {0, 2, 1, 3};  // (x, y) -> y * 2 + x
    for (int d = 0; d < 4; ++d) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(bytes[pixel_of_draw[d] * 3 + c], draws[d * 3 + c] & 0xff) << d << " " << c;
        }
    }
}

TEST(TextureFill, EmptyOrNegativeSizesDrawNothing) {
    show_srand(9);
    const uint32_t before = show_rand_state();
    EXPECT_TRUE(color_target_bytes(0, 10).empty());
    EXPECT_TRUE(noise_bytes(-3, 4).empty());
    EXPECT_TRUE(noise_bytes(4, -3).empty());
    EXPECT_EQ(show_rand_state(), before);
}
