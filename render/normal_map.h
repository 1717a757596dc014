// Pure picture work of the image-texture loaders, kept apart from GL: placing
// decoded rows into a bottom-row-first RGB buffer, flipping row order, and the
// Sobel normal map of a picture's red channel.
#pragma once

#include <cstdint>
#include <vector>

// Copies one decoded row into 3-byte RGB pixels: a colour row (4 bytes per pixel)
// gives its first three bytes, a greyscale row (1 byte per pixel) repeats the grey.
void assemble_rgb_row(const uint8_t* row, int width, int bytes_per_pixel, uint8_t* rgb);

// The same picture with its rows in the opposite order (3 bytes per pixel).
std::vector<uint8_t> flip_rows(const std::vector<uint8_t>& rgb, int width, int height);

// Normal map of a top-row-first RGB picture from its red channel, top row first:
// Sobel gradients with wrap-around neighbours, n = (-gx, -gy, 1) normalised in
// single precision, each component stored as trunc((n + 1) * 0.5 * 255).
std::vector<uint8_t> sobel_normal_map(const std::vector<uint8_t>& rgb, int width, int height);
