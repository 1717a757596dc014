// The pixel format: the requests go from the show's own down to the least it can
// run with, the first window made wins, and only what cannot run is refused.
#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SDL_Window* const made = reinterpret_cast<SDL_Window*>(0x1000);

}  // namespace

TEST(PixelFormat, FallsBackToTheClosestFormatTheSystemOffers) {
    std::vector<pixel_request> asked;
    // A display without alpha or 24-bit depth visuals, with 16-bit depth.
    SDL_Window* window = with_closest_pixel_format([&](const pixel_request& r) {
        asked.push_back(r);
        return r.alpha_bits == 0 && r.depth_bits <= 16 ? made : nullptr;
    });
    EXPECT_EQ(window, made);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].colour_bits, 8);
    EXPECT_EQ(asked[0].alpha_bits, 1);
    EXPECT_EQ(asked[0].depth_bits, 24);
    EXPECT_EQ(asked[1].alpha_bits, 0);
    EXPECT_EQ(asked[1].depth_bits, 24);
    EXPECT_EQ(asked[2].depth_bits, 16);
    EXPECT_EQ(asked[2].colour_bits, 8);

    int count = 0;
    const pixel_request* all = pixel_requests(count);
    asked.clear();
    EXPECT_EQ(with_closest_pixel_format([&](const pixel_request& r) {
                  asked.push_back(r);
                  return nullptr;
              }),
              nullptr);
    ASSERT_EQ(int(asked.size()), count);
    EXPECT_EQ(all[count - 1].depth_bits, 0);  // the last request asks for no depth buffer
}

TEST(PixelFormat, RefusesOnlyWhatCannotRun) {
    pixel_format_report format;
    format.red_bits = format.green_bits = format.blue_bits = 8;
    format.double_buffer = true;
    EXPECT_TRUE(pixel_format_acceptable(format));  // no alpha, no depth buffer
    format.red_bits = format.green_bits = format.blue_bits = 5;
    format.depth_bits = 16;
    EXPECT_TRUE(pixel_format_acceptable(format));
    format.double_buffer = false;
    EXPECT_FALSE(pixel_format_acceptable(format));
    format.double_buffer = true;
    format.blue_bits = 0;
    EXPECT_FALSE(pixel_format_acceptable(format));
}
