// RGB8 pictures for the capture tool: read back from GL (bottom row first), written
// and read as PNG with libpng, and summarised per channel for reports and tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top row first, 3 bytes per pixel
};

// Writes beside the path and renames over it when complete (see safe_output.h);
// false (with the reason on stderr) when the file cannot be written, leaving
// whatever was at the path.
bool write_png(const std::string& path, const rgb_image& image);
// False when the file is missing or not an 8-bit RGB or RGBA PNG (alpha dropped).
bool read_png(const std::string& path, rgb_image& image);

struct channel_stats {
    std::array<double, 3> mean{};
    std::array<int, 3> min{};
    std::array<int, 3> max{};
};
channel_stats image_stats(const rgb_image& image);
