// The show's two procedural images: a tileable gradient-noise height field (the
// normal map is made from its red channel) and the soft round blob sprite.
#pragma once

#include <cstdint>
#include <vector>

namespace velmoria_images {

struct rgb_image {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom, three bytes per pixel
};

// Gradient noise of several octaves whose lattice periods divide the image, so the
// picture wraps seamlessly both ways. size must be a multiple of 256.
rgb_image noise_image(int size);

// A soft round sprite: bright in the middle, falling smoothly to exact black well
// inside the edge (the texture is clamped to its edge).
rgb_image blob_image(int size);

// One octave sum at pixel (x, y) in [-1, 1]-ish, exposed for tests of the tiling.
double noise_value(int x, int y, int size);

}  // namespace velmoria_images
