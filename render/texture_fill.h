// The generated contents of the render-target and noise textures, computed
// apart from GL so that the byte order can be checked on its own. Both draw
// from the show's generator, so the bytes depend on its state when called.
#pragma once

#include <cstdint>
#include <vector>

// width x height x 4 bytes, each show_rand() % 255 (0 to 254), in upload order.
// A negative or zero size gives no bytes and draws nothing.
std::vector<uint8_t> color_target_bytes(int width, int height);

// width x height x 3 bytes of RGB noise, filled column by column: for x from 0,
// then y from 0 within the column, the pixel at byte (y * width + x) * 3 takes
// the low 8 bits of three successive show_rand() results.
std::vector<uint8_t> noise_bytes(int width, int height);
