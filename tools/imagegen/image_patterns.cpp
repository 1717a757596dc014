// Pattern computation for imagegen: periodic gradient noise summed over octaves,
// and the radial falloff of the blob. Integer hashing keeps both deterministic.
#include "tools/imagegen/image_patterns.h"

#include <algorithm>
#include <cmath>

namespace velmoria_images {

namespace {

constexpr int octaves = 6;
constexpr int base_cells = 4;  // lattice cells across the image in the first octave

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Gradient noise on a lattice of `cells` cells per image side; lattice corners wrap.
double gradient_noise(double u, double v, int cells, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    auto corner = [&](int cx, int cy, double dx, double dy) {
        const uint32_t h = hash(static_cast<uint32_t>((cx % cells + cells) % cells),
                                static_cast<uint32_t>((cy % cells + cells) % cells), seed);
        const double angle = (h & 0xffff) * (2.0 * M_PI / 65536.0);
        return std::cos(angle) * dx + std::sin(angle) * dy;
    };
    const double a = corner(x0, y0, fx, fy), b = corner(x0 + 1, y0, fx - 1, fy);
    const double c = corner(x0, y0 + 1, fx, fy - 1), d = corner(x0 + 1, y0 + 1, fx - 1, fy - 1);
    const double sx = fade(fx), sy = fade(fy);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

uint8_t to_byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

double noise_value(int x, int y, int size) {
    double sum = 0, amplitude = 1;
    int cells = base_cells;
    for (int o = 0; o < octaves; ++o) {
        const double scale = static_cast<double>(cells) / size;
        sum += amplitude * gradient_noise((x + 0.5) * scale, (y + 0.5) * scale, cells, 101u + o);
        amplitude *= 0.55;
        cells *= 2;
    }
    return sum;
}

rgb_image noise_image(int size) {
    rgb_image image{size, size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 3)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // The sum stays within about +-1; map it around mid grey.
            const uint8_t v = to_byte(128.0 + 120.0 * noise_value(x, y, size));
            uint8_t* p = &image.pixels[(static_cast<size_t>(y) * size + x) * 3];
            p[0] = p[1] = p[2] = v;
        }
    return image;
}

rgb_image blob_image(int size) {
    rgb_image image{size, size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 3)};
    const double centre = size / 2.0, radius = 0.4 * size;  // black margin of a tenth each side
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre) / radius;
            const double falloff = r >= 1 ? 0.0 : std::pow(1.0 - r * r, 2.5);
            // A warm white core fading through a cooler rim.
            const double warm = std::pow(falloff, 0.6);
            uint8_t* p = &image.pixels[(static_cast<size_t>(y) * size + x) * 3];
            p[0] = to_byte(255.0 * falloff);
            p[1] = to_byte(255.0 * falloff * (0.88 + 0.12 * warm));
            p[2] = to_byte(255.0 * falloff * (0.8 + 0.2 * (1 - warm)));
        }
    return image;
}

}  // namespace velmoria_images
