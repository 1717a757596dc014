// Fills the byte buffers of the colour-target and noise textures from the
// show's generator, in the exact order the generator must be consumed.
#include "render/texture_fill.h"

#include "platform/show_random.h"

#include <cstddef>

namespace {

size_t pixel_count(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

}  // namespace

std::vector<uint8_t> color_target_bytes(int width, int height) {
    std::vector<uint8_t> bytes(pixel_count(width, height) * 4);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(show_rand() % 255);
    return bytes;
}

std::vector<uint8_t> noise_bytes(int width, int height) {
    std::vector<uint8_t> bytes(pixel_count(width, height) * 3);
    if (bytes.empty()) return bytes;
    const size_t w = static_cast<size_t>(width);
    for (size_t x = 0; x < w; ++x) {
        for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
            uint8_t* pixel = &bytes[(y * w + x) * 3];
            pixel[0] = static_cast<uint8_t>(show_rand() & 0xff);
            pixel[1] = static_cast<uint8_t>(show_rand() & 0xff);
            pixel[2] = static_cast<uint8_t>(show_rand() & 0xff);
        }
    }
    return bytes;
}
