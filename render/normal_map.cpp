// Row assembly, row flipping and the wrap-around Sobel normal map of the
// image-texture loaders.
#include "render/normal_map.h"

#include <cmath>
#include <cstring>

void assemble_rgb_row(const uint8_t* row, int width, int bytes_per_pixel, uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* pixel = row + static_cast<std::size_t>(x) * bytes_per_pixel;
        uint8_t* out = rgb + static_cast<std::size_t>(x) * 3;
        if (bytes_per_pixel >= 3) {
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
        } else {
            out[0] = out[1] = out[2] = pixel[0];
        }
    }
}

std::vector<uint8_t> flip_rows(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> flipped(rgb.size());
    std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(flipped.data() + static_cast<std::size_t>(height - 1 - y) * row_bytes,
                    rgb.data() + static_cast<std::size_t>(y) * row_bytes, row_bytes);
    return flipped;
}

namespace {

uint8_t normal_byte(float component) { return static_cast<uint8_t>((component + 1.0f) * 0.5f * 255.0f); }

}  // namespace

std::vector<uint8_t> sobel_normal_map(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> normals(rgb.size());
    auto red = [&](int x, int y) {
        x = (x + width) % width;
        y = (y + height) % height;
        return static_cast<float>(rgb[(static_cast<std::size_t>(y) * width + x) * 3]) / 255.0f;
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float gx = (red(x + 1, y - 1) + 2 * red(x + 1, y) + red(x + 1, y + 1)) -
                       (red(x - 1, y - 1) + 2 * red(x - 1, y) + red(x - 1, y + 1));
            float gy = (red(x - 1, y - 1) + 2 * red(x, y - 1) + red(x + 1, y - 1)) -
                       (red(x - 1, y + 1) + 2 * red(x, y + 1) + red(x + 1, y + 1));
            float length = std::sqrt(gx * gx + gy * gy + 1.0f);
            uint8_t* out = normals.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            out[0] = normal_byte(-gx / length);
            out[1] = normal_byte(-gy / length);
            out[2] = normal_byte(1.0f / length);
        }
    return normals;
}
